#pragma once
// The progress window of a scan. Shown modally over the main window, it runs the whole scan
// (app/FindHacks.h) when it is first activated after each show, draws the progress bar in
// picStatus as the scan goes, and unloads itself when the scan reached its end.

#include <QDialog>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gui::qt {
class PictureBox;
}

class frmFindHacks : public QDialog {
    Q_OBJECT
public:
    explicit frmFindHacks(QWidget* owner = nullptr);

    // The MeshPath property: the folder the next scan lists (Windows form).
    void SetMeshPath(std::string meshPath) { meshPath_ = std::move(meshPath); }

    // Each bar the last scan drew, as (packages done, package count).
    const std::vector<std::pair<std::int32_t, std::int32_t>>& ProgressDrawn() const { return drawn_; }

    gui::qt::PictureBox* picStatus;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
    void msDrawProgress(std::int32_t done, std::int32_t count);

    std::string meshPath_;
    std::vector<std::pair<std::int32_t, std::int32_t>> drawn_;
};
