#include "gui/frmDetails.h"

#include "errors/modErrorTrap.h"
#include "gui/qt/DetailsTableModels.h"
#include "platform/Shell.h"
#include "platform/WindowServices.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShowEvent>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString mfqsText(const std::string& text) { return QString::fromStdString(text); }

// The file dialog: the explanation, the JSON document or CSV, by the filter chosen.
bool mfblnChooseWithDialog(QWidget* parent, QString& path, SaveKind& kind)
{
    const QString explained = QStringLiteral("Explanation (*.txt)");
    const QString json = QStringLiteral("JSON document (*.json)");
    const QString csv = QStringLiteral("CSV (*.csv)");
    QString filter = explained;
    path = QFileDialog::getSaveFileName(parent, QStringLiteral("Save the details"), QStringLiteral("clashwick-details.txt"),
                                        explained + QStringLiteral(";;") + json + QStringLiteral(";;") + csv, &filter);
    if (path.isEmpty())
        return false;
    kind = filter == json ? SaveKind::Json : filter == csv ? SaveKind::Csv : SaveKind::Explained;
    return true;
}

frmDetails::SaveChooser& mudtSaveChooser()
{
    static frmDetails::SaveChooser chooser = mfblnChooseWithDialog;
    return chooser;
}

// A list of whole rows, drawn at a fixed row height so that thousands of rows stay quick.
QTableView* mfqtvList(QWidget* parent, const char* name, const QString& accessibleName, QAbstractItemModel* model)
{
    auto* list = new QTableView(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(accessibleName);
    list->setModel(model);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAlternatingRowColors(true);
    list->setWordWrap(false);
    list->setTabKeyNavigation(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->setHighlightSections(false);
    return list;
}

QPushButton* mfcmdButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmDetails::frmDetails(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmDetails"));
    setWindowTitle(QStringLiteral("Clashwick - Details"));
    conflicts_ = new gui::qt::ConflictTable(this);
    packages_ = new gui::qt::PackageTable(this);
    overlaps_ = new gui::qt::OverlapTable(this);

    auto* layout = new QVBoxLayout(this);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblSummary);

    tabViews = new QTabWidget(this);
    tabViews->setObjectName(QStringLiteral("tabViews"));
    tabViews->addTab(mfwConflictsPage(), QStringLiteral("&Conflicts"));
    tabViews->addTab(mfwPackagesPage(), QStringLiteral("&Packages"));
    layout->addWidget(tabViews, 1);

    auto* actions = new QHBoxLayout;
    cmdShowInFolder = mfcmdButton(this, "cmdShowInFolder", QStringLiteral("Show in &folder"));
    cmdMarkReviewed = mfcmdButton(this, "cmdMarkReviewed", QStringLiteral("Mark &reviewed"));
    cmdNotReviewed = mfcmdButton(this, "cmdNotReviewed", QStringLiteral("&Not reviewed"));
    cmdCopy = mfcmdButton(this, "cmdCopy", QStringLiteral("C&opy"));
    cmdSave = mfcmdButton(this, "cmdSave", QStringLiteral("Sa&ve..."));
    for (QPushButton* button : {cmdShowInFolder, cmdMarkReviewed, cmdNotReviewed})
        actions->addWidget(button);
    actions->addStretch(1);
    actions->addWidget(cmdCopy);
    actions->addWidget(cmdSave);
    layout->addLayout(actions);

    connect(cmdShowInFolder, &QPushButton::clicked, this, [this] { cmdShowInFolder_Click(); });
    connect(cmdMarkReviewed, &QPushButton::clicked, this, [this] { msMarkReviewed(true); });
    connect(cmdNotReviewed, &QPushButton::clicked, this, [this] { msMarkReviewed(false); });
    connect(cmdCopy, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    auto* close = new QShortcut(QKeySequence::Cancel, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    setMinimumSize(520, 340);
    resize(1000, 620);
    msRedraw();
}

void frmDetails::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    // Within the screen's free area: a 1280 x 800 screen at 150% has only 853 x 533 to give.
    if (const QScreen* screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        resize(std::min(width(), free.width() * 9 / 10), std::min(height(), free.height() * 9 / 10));
    }
}

frmDetails::~frmDetails() = default;

QWidget* frmDetails::mfwConflictsPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* filters = new QHBoxLayout;
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), page);
    txtSearch = new QLineEdit(page);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setPlaceholderText(QStringLiteral("package or resource name"));
    txtSearch->setClearButtonEnabled(true);
    searchLabel->setBuddy(txtSearch);
    chkShowQuiet = new QCheckBox(page);
    chkShowQuiet->setObjectName(QStringLiteral("chkShowQuiet"));
    cmdAllPackages = mfcmdButton(page, "cmdAllPackages", QStringLiteral("&All packages"));
    cmdAllPackages->setToolTip(QStringLiteral("Show the conflicts of every package again"));
    filters->addWidget(searchLabel);
    filters->addWidget(txtSearch, 1);
    filters->addWidget(chkShowQuiet);
    filters->addWidget(cmdAllPackages);
    layout->addLayout(filters);

    auto* split = new QSplitter(Qt::Vertical, page);
    tblConflicts = mfqtvList(split, "tblConflicts", QStringLiteral("Conflicts"), conflicts_);
    tblConflicts->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblConflicts->setSortingEnabled(true);
    tblConflicts->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    for (const auto& [column, width] : {std::pair{ConflictColumn::Verdict, 170}, {ConflictColumn::New, 45},
                                        {ConflictColumn::Type, 50}, {ConflictColumn::Name, 230},
                                        {ConflictColumn::Group, 95}, {ConflictColumn::Instance, 95},
                                        {ConflictColumn::Packages, 70}})
        tblConflicts->setColumnWidth(static_cast<int>(column), width);
    tblPackages = mfqtvList(split, "tblPackages", QStringLiteral("Packages of the selected conflict"), packages_);
    tblPackages->setSelectionMode(QAbstractItemView::SingleSelection);
    tblPackages->setColumnWidth(static_cast<int>(PackageColumn::Package), 460);
    split->addWidget(tblConflicts);
    split->addWidget(tblPackages);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);

    connect(txtSearch, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (details_)
            details_->SetSearch(text.toStdString());
        msRefreshConflicts(mfSelectedConflicts());
    });
    connect(chkShowQuiet, &QCheckBox::toggled, this, [this](bool show) {
        if (details_)
            details_->SetShowQuiet(show);
        msRefreshConflicts(mfSelectedConflicts());
    });
    connect(cmdAllPackages, &QPushButton::clicked, this, [this] {
        if (details_)
            details_->SetOverlapFilter(std::nullopt);
        tblOverlaps->clearSelection();
        msRefreshConflicts(mfSelectedConflicts());
    });
    connect(tblConflicts->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { msShowPackagesOfCurrent(); });
    connect(conflicts_, &QAbstractItemModel::modelReset, this, [this] { msShowPackagesOfCurrent(); });
    return page;
}

QWidget* frmDetails::mfwPackagesPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* hint = new QLabel(QStringLiteral("Choose a line to see only its packages' conflicts on the Conflicts page."), page);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    tblOverlaps = mfqtvList(page, "tblOverlaps", QStringLiteral("Packages that share resources"), overlaps_);
    tblOverlaps->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const auto& [column, width] : {std::pair{OverlapColumn::Packages, 260}, {OverlapColumn::Winner, 260},
                                        {OverlapColumn::Shared, 60}, {OverlapColumn::Identical, 70}})
        tblOverlaps->setColumnWidth(static_cast<int>(column), width);
    layout->addWidget(tblOverlaps, 1);
    lblPairsOmitted = new QLabel(page);
    lblPairsOmitted->setObjectName(QStringLiteral("lblPairsOmitted"));
    layout->addWidget(lblPairsOmitted);

    connect(tblOverlaps->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!details_ || !current.isValid())
                    return;
                details_->SetOverlapFilter(static_cast<std::size_t>(current.row()));
                msRefreshConflicts({});
            });
    return page;
}

void frmDetails::SetSaveChooser(SaveChooser chooser)
{
    mudtSaveChooser() = chooser ? std::move(chooser) : SaveChooser(mfblnChooseWithDialog);
}

void frmDetails::SetDetails(ScanDetails* details)
{
    details_ = details;
    if (details_) {
        // The window's own choices carry over to new details.
        details_->SetSearch(txtSearch->text().toStdString());
        details_->SetShowQuiet(chkShowQuiet->isChecked());
        details_->SetOverlapFilter(std::nullopt);
    }
    conflicts_->SetDetails(details_);
    packages_->SetDetails(details_);
    overlaps_->SetDetails(details_);
    tblConflicts->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    // The first row's packages show at once; nothing is selected, so Copy takes all.
    if (conflicts_->rowCount() > 0)
        tblConflicts->selectionModel()->setCurrentIndex(conflicts_->index(0, 0), QItemSelectionModel::NoUpdate);
    msRedraw();
}

// The texts that follow the details: the summary, the check box, the pairs left out, and which
// actions apply.
void frmDetails::msRedraw()
{
    QString summary = details_ ? mfqsText(details_->SummaryLine()) : QString();
    if (details_)
        for (const std::string& note : details_->Notes())
            summary += QStringLiteral("\n") + mfqsText(note);
    lblSummary->setText(summary);
    chkShowQuiet->setText(details_ ? mfqsText(details_->ShowQuietText()) : QStringLiteral("Show harmless or reviewed"));
    lblPairsOmitted->setText(details_ ? mfqsText(details_->PairsOmittedText()) : QString());
    lblPairsOmitted->setVisible(!lblPairsOmitted->text().isEmpty());
    cmdAllPackages->setEnabled(details_ && details_->OverlapFilter().has_value());
    const bool any = details_ != nullptr;
    for (QWidget* control : {static_cast<QWidget*>(txtSearch), static_cast<QWidget*>(chkShowQuiet),
                             static_cast<QWidget*>(cmdShowInFolder), static_cast<QWidget*>(cmdMarkReviewed),
                             static_cast<QWidget*>(cmdNotReviewed), static_cast<QWidget*>(cmdCopy),
                             static_cast<QWidget*>(cmdSave)})
        control->setEnabled(any);
}

// Redraws the Conflicts list after its rows changed, with the given conflicts selected where
// they are still shown.
void frmDetails::msRefreshConflicts(const std::vector<std::size_t>& keepSelected)
{
    conflicts_->Reset();
    if (details_) {
        QItemSelection selection;
        std::optional<std::size_t> first;
        for (const std::size_t conflict : keepSelected)
            if (const std::optional<std::size_t> row = details_->RowOfConflict(conflict)) {
                const QModelIndex left = conflicts_->index(static_cast<int>(*row), 0);
                selection.select(left, conflicts_->index(static_cast<int>(*row), kConflictColumns - 1));
                first = first ? std::min(*first, *row) : *row;
            }
        if (first) {
            tblConflicts->selectionModel()->setCurrentIndex(conflicts_->index(static_cast<int>(*first), 0),
                                                            QItemSelectionModel::NoUpdate);
            tblConflicts->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        }
    }
    msShowPackagesOfCurrent();
    msRedraw();
}

void frmDetails::msShowPackagesOfCurrent()
{
    const QModelIndex current = tblConflicts->selectionModel()->currentIndex();
    if (!details_ || !current.isValid() || static_cast<std::size_t>(current.row()) >= details_->ConflictRowCount()) {
        packages_->SetConflict(std::nullopt);
        return;
    }
    packages_->SetConflict(details_->ConflictOfRow(static_cast<std::size_t>(current.row())));
}

std::vector<std::size_t> frmDetails::mfSelectedConflicts() const
{
    std::vector<std::size_t> conflicts;
    if (!details_)
        return conflicts;
    for (const QModelIndex& row : tblConflicts->selectionModel()->selectedRows())
        if (static_cast<std::size_t>(row.row()) < details_->ConflictRowCount())
            conflicts.push_back(details_->ConflictOfRow(static_cast<std::size_t>(row.row())));
    std::sort(conflicts.begin(), conflicts.end());
    return conflicts;
}

// Opens the file manager at the folder of the package chosen below the list, or of the chosen
// conflict's winner.
void frmDetails::cmdShowInFolder_Click()
{
    const std::optional<std::size_t> conflict = packages_->Conflict();
    if (!details_ || !conflict)
        return;
    const QModelIndex chosen = tblPackages->selectionModel()->currentIndex();
    const std::size_t count = details_->PackageRowCount(*conflict);
    const std::size_t row = chosen.isValid() && static_cast<std::size_t>(chosen.row()) < count
                                ? static_cast<std::size_t>(chosen.row())
                                : count - 1;
    const std::string path = details_->PackagePath(details_->PackageOfRow(*conflict, row));
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    // The shell's results above 32 are success.
    if (platform::gudtShellServices().ShellExecute("open", folder, "") <= 32)
        platform::gudtWindowServices().ShowCriticalMessage("The folder could not be opened: " + folder, "Clashwick - Details");
}

void frmDetails::msMarkReviewed(bool reviewed)
{
    const std::vector<std::size_t> chosen = mfSelectedConflicts();
    if (!details_ || chosen.empty())
        return;
    gfblnRunHandled("frmDetails", reviewed ? "cmdMarkReviewed_Click" : "cmdNotReviewed_Click",
                    [&] { details_->MarkReviewed(chosen, reviewed); });
    msRefreshConflicts(chosen);
}

void frmDetails::cmdCopy_Click()
{
    if (!details_)
        return;
    QGuiApplication::clipboard()->setText(mfqsText(details_->CopyText(mfSelectedConflicts())));
}

void frmDetails::cmdSave_Click()
{
    QString path;
    SaveKind kind = SaveKind::Explained;
    if (!details_ || !mudtSaveChooser()(this, path, kind))
        return;
    const std::string text = details_->SaveText(kind);
    // Written whole beside the file and put in its place, or not at all.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) !=
                                                  static_cast<qint64>(text.size()) ||
        !file.commit())
        platform::gudtWindowServices().ShowCriticalMessage(
            "The details could not be saved to " + path.toStdString() + ": " + file.errorString().toStdString(),
            "Clashwick - Details");
}
