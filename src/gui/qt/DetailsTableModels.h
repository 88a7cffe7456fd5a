#pragma once
// The details of a scan as Qt item models: the Conflicts list, the packages of one conflict and
// the Packages list. Each draws straight from the details model (app/ScanDetails.h), row by row
// as the view asks, so that thousands of rows cost nothing until they are shown.

#include "app/ScanDetails.h"

#include <QAbstractTableModel>

#include <cstddef>
#include <optional>

namespace gui::qt {

// A table over the details; Reset() redraws it after the details or their filters changed.
class DetailsTable : public QAbstractTableModel {
public:
    explicit DetailsTable(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

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

protected:
    ScanDetails* details_ = nullptr;
};

class ConflictTable : public DetailsTable {
public:
    using DetailsTable::DetailsTable;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;
};

// The packages of one conflict, in load order.
class PackageTable : public DetailsTable {
public:
    using DetailsTable::DetailsTable;
    void SetConflict(std::optional<std::size_t> conflict);
    std::optional<std::size_t> Conflict() const { return conflict_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::optional<std::size_t> conflict_;
};

class OverlapTable : public DetailsTable {
public:
    using DetailsTable::DetailsTable;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

} // namespace gui::qt
