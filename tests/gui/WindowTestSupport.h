#pragma once
// Shared by the window tests: a scratch program folder, stand-ins for ending the program and
// for message boxes, and a way to answer a modal window from inside its event loop.

#include "support/TestSupport.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace windowtest {

class WindowTest : public testsupport::TrapTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program folder: Scratch()/"app", in Windows form.
    std::filesystem::path AppFolder() const { return Scratch() / "app"; }

    // Shows a top-level window and waits until it is the active window.
    static bool ShowActive(QWidget& window);

    std::optional<int> exitCode;                  // what EndProgram was asked for
    std::vector<std::string> criticalMessages;    // "title: message" of each message box
};

// While it lives, answers the first modal window that shows (inside the event loop that shows
// it): hands it to `inspect`, then closes it other than through its buttons.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget& modal)> inspect);
    bool Found() const { return found_; }

private:
    QTimer timer_;
    bool found_ = false;
};

} // namespace windowtest
