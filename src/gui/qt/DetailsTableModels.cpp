#include "gui/qt/DetailsTableModels.h"

namespace gui::qt {

namespace {

QString mfqsText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Counts read best aligned to the right.
QVariant mudtAlignment(bool number)
{
    return number ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
}

} // namespace

int DetailsTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !details_ ? 0 : static_cast<int>(Rows(*details_));
}

int DetailsTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant DetailsTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= columns_ || orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return mfqsText(title_(section));
}

ConflictTable::ConflictTable(QObject* parent)
    : DetailsTable(parent, kConflictColumns,
                   [](int column) { return gfstrConflictColumnTitle(static_cast<ConflictColumn>(column)); })
{
}

QVariant ConflictTable::data(const QModelIndex& index, int role) const
{
    if (!details_ || !index.isValid() || index.row() >= rowCount())
        return {};
    const auto column = static_cast<ConflictColumn>(index.column());
    if (role == Qt::TextAlignmentRole)
        return mudtAlignment(column == ConflictColumn::Packages);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return mfqsText(details_->ConflictCell(static_cast<std::size_t>(index.row()), column));
}

void ConflictTable::sort(int column, Qt::SortOrder order)
{
    if (!details_ || column < 0 || column >= kConflictColumns)
        return;
    beginResetModel();
    details_->SortConflicts(static_cast<ConflictColumn>(column), order == Qt::AscendingOrder);
    endResetModel();
}

PackageTable::PackageTable(QObject* parent)
    : DetailsTable(parent, kPackageColumns,
                   [](int column) { return gfstrPackageColumnTitle(static_cast<PackageColumn>(column)); })
{
}

void PackageTable::SetConflict(std::optional<std::size_t> conflict)
{
    beginResetModel();
    conflict_ = conflict;
    endResetModel();
}

QVariant PackageTable::data(const QModelIndex& index, int role) const
{
    if (!details_ || !conflict_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return mfqsText(details_->PackageCell(*conflict_, static_cast<std::size_t>(index.row()),
                                          static_cast<PackageColumn>(index.column())));
}

OverlapTable::OverlapTable(QObject* parent)
    : DetailsTable(parent, kOverlapColumns,
                   [](int column) { return gfstrOverlapColumnTitle(static_cast<OverlapColumn>(column)); })
{
}

QVariant OverlapTable::data(const QModelIndex& index, int role) const
{
    if (!details_ || !index.isValid() || index.row() >= rowCount())
        return {};
    const auto column = static_cast<OverlapColumn>(index.column());
    if (role == Qt::TextAlignmentRole)
        return mudtAlignment(column == OverlapColumn::Shared || column == OverlapColumn::Identical);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return mfqsText(details_->OverlapCell(static_cast<std::size_t>(index.row()), column));
}

} // namespace gui::qt
