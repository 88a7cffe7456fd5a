#include "gui/qt/DetailsTableModels.h"

namespace gui::qt {

namespace {

QString mfqsText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Counts read best aligned to the right.
QVariant mudtAlignment(bool number)
{
    return number ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
}

QVariant mudtTitle(Qt::Orientation orientation, int role, std::string_view title)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return mfqsText(title);
}

} // namespace

int ConflictTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !details_ ? 0 : static_cast<int>(details_->ConflictRowCount());
}

int ConflictTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kConflictColumns; }

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

QVariant ConflictTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= kConflictColumns)
        return {};
    return mudtTitle(orientation, role, gfstrConflictColumnTitle(static_cast<ConflictColumn>(section)));
}

void ConflictTable::sort(int column, Qt::SortOrder order)
{
    if (!details_ || column < 0 || column >= kConflictColumns)
        return;
    beginResetModel();
    details_->SortConflicts(static_cast<ConflictColumn>(column), order == Qt::AscendingOrder);
    endResetModel();
}

void PackageTable::SetConflict(std::optional<std::size_t> conflict)
{
    beginResetModel();
    conflict_ = conflict;
    endResetModel();
}

int PackageTable::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !details_ || !conflict_)
        return 0;
    return static_cast<int>(details_->PackageRowCount(*conflict_));
}

int PackageTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kPackageColumns; }

QVariant PackageTable::data(const QModelIndex& index, int role) const
{
    if (!details_ || !conflict_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return mfqsText(details_->PackageCell(*conflict_, static_cast<std::size_t>(index.row()),
                                          static_cast<PackageColumn>(index.column())));
}

QVariant PackageTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= kPackageColumns)
        return {};
    return mudtTitle(orientation, role, gfstrPackageColumnTitle(static_cast<PackageColumn>(section)));
}

int OverlapTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !details_ ? 0 : static_cast<int>(details_->OverlapRowCount());
}

int OverlapTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kOverlapColumns; }

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

QVariant OverlapTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= kOverlapColumns)
        return {};
    return mudtTitle(orientation, role, gfstrOverlapColumnTitle(static_cast<OverlapColumn>(section)));
}

} // namespace gui::qt
