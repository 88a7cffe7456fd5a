// Times the details window on a benchmark game: the window program's Scan until the report is
// shown, the details prepared after it, and the click on Details... until the window is drawn;
// then sorting, searching, showing the hidden rows and scrolling to the end. Prints the seconds
// of each and the peak resident memory.
//
//   clashwick-details-bench PREFIX               times the window on the game in PREFIX
//   clashwick-details-bench --copies N PREFIX    first makes the sample game in PREFIX with N
//                                                copies of one hack package in folders of their own
//
// Run it from a folder of its own (its temp folder receives the report); QT_QPA_PLATFORM=offscreen
// draws without a display.

#include "gui/frmDetails.h"
#include "gui/frmHackMain.h"
#include "gui/qt/DesktopShell.h"
#include "gui/qt/QtWindowServices.h"
#include "support/SampleGame.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// Peak resident memory of the process so far, in MiB.
double mfdblPeakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// N copies of the sample game's SpeedUpTime package, each in a folder of its own.
void msMakeCopies(const std::filesystem::path& prefix, int copies)
{
    writer::gsMakeSampleGame(prefix);
    const std::filesystem::path downloads = writer::gfSampleDownloads(prefix);
    const std::filesystem::path hack = downloads / "Hacks" / "SpeedUpTime.package";
    for (int copy = 0; copy < copies; ++copy) {
        const std::filesystem::path folder = downloads / "Copies" / ("Copy" + std::to_string(copy));
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(hack, folder / "SpeedUpTime.package", std::filesystem::copy_options::overwrite_existing);
    }
}

double mfdblSeconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e9; }

void msPrint(const char* what, double seconds) { std::printf("%-44s %8.3f s\n", what, seconds); }

} // namespace

int main(int argc, char** argv)
{
    std::string prefix;
    if (argc == 4 && std::string(argv[1]) == "--copies") {
        prefix = argv[3];
        msMakeCopies(prefix, std::atoi(argv[2]));
    } else if (argc == 2) {
        prefix = argv[1];
    } else {
        std::cerr << "usage: clashwick-details-bench [--copies N] PREFIX\n";
        return 64;
    }
    setenv("WINEPREFIX", prefix.c_str(), 1);
    QApplication application(argc, argv);
    gui::qt::gsInstallQtWindowServices();
    gui::qt::gsInstallDesktopShell();

    frmHackMain window;
    if (!window.Form_Load())
        return 1;
    window.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    window.cmdScan->click();
    msPrint("Scan until the report is shown", mfdblSeconds(clock));
    clock.restart();
    while (window.cmdDetails->isHidden() && clock.elapsed() < 600000)
        QApplication::processEvents();
    msPrint("details prepared after the report", mfdblSeconds(clock));
    if (!window.Details())
        return 1;
    std::printf("conflicts %zu, groups %zu, pairs %zu (+%lld omitted)\n", window.Details()->Facts().Conflicts.size(),
                window.Details()->Facts().Groups.size(), window.Details()->Facts().Pairs.size(),
                static_cast<long long>(window.Details()->Facts().PairsOmitted));

    clock.restart();
    window.cmdDetails->click();
    frmDetails& details = *window.DetailsForm();
    details.grab();  // lays out and paints the whole window
    msPrint("Details... until the window is drawn", mfdblSeconds(clock));

    const auto timed = [&](const char* what, const auto& action) {
        clock.restart();
        action();
        details.grab();
        msPrint(what, mfdblSeconds(clock));
    };
    timed("show the harmless and reviewed rows", [&] { details.chkShowQuiet->setChecked(true); });
    timed("sort by resource name", [&] { details.tblConflicts->sortByColumn(3, Qt::AscendingOrder); });
    timed("sort by package count, descending", [&] { details.tblConflicts->sortByColumn(6, Qt::DescendingOrder); });
    timed("search \"tuning\"", [&] { details.txtSearch->setText(QStringLiteral("tuning")); });
    timed("clear the search", [&] { details.txtSearch->clear(); });
    timed("scroll to the last row", [&] { details.tblConflicts->scrollToBottom(); });
    timed("choose the last row", [&] {
        details.tblConflicts->selectRow(details.tblConflicts->model()->rowCount() - 1);
    });
    std::printf("peak resident memory %.1f MiB\n", mfdblPeakMiB());
    return 0;
}
