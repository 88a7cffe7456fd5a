#pragma once
// The details of a scan as Qt item models: the Conflicts list, the packages of one conflict and
// the Packages list. Each draws straight from the details model (app/ScanDetails.h), row by row
// as the view asks, so that thousands of rows cost nothing until they are shown.

#include "app/ScanDetails.h"

#include <QAbstractTableModel>

#include <cstddef>
#include <optional>
#include <string_view>

namespace gui::qt {

// A table over the details with a fixed number of columns, each titled by the model's title
// function; a table of its own gives only its row count and its cells. Reset() redraws it after
// the details or their filters changed.
class DetailsTable : public QAbstractTableModel {
public:
    using ColumnTitle = std::string_view (*)(int column);
    DetailsTable(QObject* parent, int columns, ColumnTitle title)
        : QAbstractTableModel(parent), columns_(columns), title_(title)
    {
    }

    void SetDetails(ScanDetails* details)
    {
        beginResetModel();
        details_ = details;
        endResetModel();
    }
    void Reset()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const final;
    int columnCount(const QModelIndex& parent = {}) const final;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const final;

protected:
    // The number of rows the table shows of these details.
    virtual std::size_t Rows(const ScanDetails& details) const = 0;

    ScanDetails* details_ = nullptr;

private:
    int columns_;
    ColumnTitle title_;
};

class ConflictTable : public DetailsTable {
public:
    explicit ConflictTable(QObject* parent = nullptr);
    QVariant data(const QModelIndex& index, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

protected:
    std::size_t Rows(const ScanDetails& details) const override { return details.ConflictRowCount(); }
};

// The packages of one conflict, in load order.
class PackageTable : public DetailsTable {
public:
    explicit PackageTable(QObject* parent = nullptr);
    void SetConflict(std::optional<std::size_t> conflict);
    std::optional<std::size_t> Conflict() const { return conflict_; }
    QVariant data(const QModelIndex& index, int role) const override;

protected:
    std::size_t Rows(const ScanDetails& details) const override
    {
        return conflict_ ? details.PackageRowCount(*conflict_) : 0;
    }

private:
    std::optional<std::size_t> conflict_;
};

class OverlapTable : public DetailsTable {
public:
    explicit OverlapTable(QObject* parent = nullptr);
    QVariant data(const QModelIndex& index, int role) const override;

protected:
    std::size_t Rows(const ScanDetails& details) const override { return details.OverlapRowCount(); }
};

} // namespace gui::qt
