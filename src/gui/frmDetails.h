#pragma once
// The details window of the last scan: its summary, the Conflicts list with the packages of the
// chosen conflict, the Packages list (copies of one mod, pairs of packages), and the actions on
// them. Not modal: the main window stays usable, and each scan sets new details. It draws the
// details model (app/ScanDetails.h) and hands every action to it.

#include "app/ScanDetails.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace gui::qt {
class ConflictTable;
class OverlapTable;
class PackageTable;
}

class frmDetails : public QWidget {
    Q_OBJECT
public:
    explicit frmDetails(QWidget* owner = nullptr);
    ~frmDetails() override;

    // Shows these details (kept by the caller until the next call), or nothing.
    void SetDetails(ScanDetails* details);

    // Asks the player where to save and as what; false when the player chose nothing. Tests put
    // a stand-in here in place of the file dialog.
    using SaveChooser = std::function<bool(QWidget* parent, QString& path, SaveKind& kind)>;
    static void SetSaveChooser(SaveChooser chooser);

    QLabel* lblSummary;
    QTabWidget* tabViews;
    QLineEdit* txtSearch;
    QCheckBox* chkShowQuiet;
    QPushButton* cmdAllPackages;
    QTableView* tblConflicts;
    QTableView* tblPackages;
    QTableView* tblOverlaps;
    QLabel* lblPairsOmitted;
    QPushButton* cmdShowInFolder;
    QPushButton* cmdMarkReviewed;
    QPushButton* cmdNotReviewed;
    QPushButton* cmdCopy;
    QPushButton* cmdSave;

protected:
    // The first showing fits the window to the screen.
    void showEvent(QShowEvent* event) override;

private:
    QWidget* mfwConflictsPage();
    QWidget* mfwPackagesPage();
    void msRedraw();
    void msRefreshConflicts(const std::vector<std::size_t>& keepSelected);
    void msShowPackagesOfCurrent();
    std::vector<std::size_t> mfSelectedConflicts() const;
    void cmdShowInFolder_Click();
    void msMarkReviewed(bool reviewed);
    void cmdCopy_Click();
    void cmdSave_Click();

    ScanDetails* details_ = nullptr;
    gui::qt::ConflictTable* conflicts_;
    gui::qt::PackageTable* packages_;
    gui::qt::OverlapTable* overlaps_;
    bool placed_ = false;
};
