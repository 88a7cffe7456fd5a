#pragma once
// The error record of the last failure and the error trap that presents it.

#include "errors/Failure.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The error data of one thread: a text that reads as a std::string. The object itself is
// trivially destructible, so a thread's end runs no destructor on it (with the Windows build's
// thread library the destructors of thread-local objects can run after the thread's storage
// is gone, and the heap suffers); its text lives on the heap, and a thread that ends gives it
// back with gsEndThreadErrorRecord.
class ErrorData {
public:
    ErrorData& operator=(std::string text)
    {
        if (text_ == nullptr)
            text_ = new std::string;
        *text_ = std::move(text);
        return *this;
    }
    // The same in the text's own memory, which a scan reuses for every package it names.
    ErrorData& Assign(std::string_view text)
    {
        if (text_ == nullptr)
            text_ = new std::string;
        text_->assign(text);
        return *this;
    }
    ErrorData& Append(std::string_view text)
    {
        if (text_ == nullptr)
            text_ = new std::string;
        text_->append(text);
        return *this;
    }
    operator const std::string&() const { return text_ != nullptr ? *text_ : mudtNone(); }
    void clear()
    {
        if (text_ != nullptr)
            text_->clear();
    }
    bool empty() const { return text_ == nullptr || text_->empty(); }
    void Release()
    {
        delete text_;
        text_ = nullptr;
    }
    friend bool operator==(const ErrorData& data, std::string_view text) { return std::string_view(static_cast<const std::string&>(data)) == text; }
    friend std::string operator+(const std::string& text, const ErrorData& data) { return text + static_cast<const std::string&>(data); }
    friend std::ostream& operator<<(std::ostream& out, const ErrorData& data) { return out << static_cast<const std::string&>(data); }

private:
    static const std::string& mudtNone();
    std::string* text_ = nullptr;
};

// The location code and error data belong to the thread that sets them: a scan reads packages
// on threads of its own, and each keeps the record of its own steps (see TrapDeferral below).
extern thread_local std::int32_t glngErrLocation; // location code of the stage most recently entered
extern std::int32_t glngErrNumber;     // number of the error caught
extern std::string gstrErrDescription; // its description
extern std::string gstrErrModule;      // module of the failing procedure
extern std::string gstrErrProcedure;   // the failing procedure
extern thread_local ErrorData gstrErrData; // the file or folder entry being worked on, or empty

// Gives back the calling thread's error data; a thread other than the program's first calls it
// as it ends.
void gsEndThreadErrorRecord();

// Presents the unrecoverable-error dialog modally; returns only when the dialog was dismissed
// without ending the program. What presents it is the program's choice (below).
void gsErrorTrap();

// How the trap presents the error record: the window program shows the error dialog, the
// headless program prints the error report; tests record the call. The program installs its
// own before anything can fail. Without one, the trap prints the number and description to
// standard error and ends the program with exit code 2.
using ErrorTrapPresenter = std::function<void()>;
void gsSetErrorTrapPresenter(ErrorTrapPresenter presenter);
// The presenter in use (empty when none is installed), so a stand-in can be undone.
const ErrorTrapPresenter& gudtErrorTrapPresenter();

// The standard handler: records number, description, module and procedure in that order and
// calls the trap. Location code and error data are left as the procedure set them.
void gsTrapFailure(const Failure& failure, std::string_view module, std::string_view procedure);

// A failure the standard handler met on a thread that defers the trap: everything the trap
// would have been given, so the thread that presents failures can give it later, in order.
struct DeferredTrap {
    Failure Caught;
    std::string Module;
    std::string Procedure;
    std::int32_t Location = 0;
    std::string Data;
};

// While one lives on a thread, the standard handler on that thread records each failure in
// `sink` and returns, as the trap returns when its dialog is dismissed; nothing is presented
// and the shared error record is left alone. Worker threads that read ahead of the user-
// interface thread use it.
class TrapDeferral {
public:
    explicit TrapDeferral(std::vector<DeferredTrap>& sink);
    ~TrapDeferral();
    TrapDeferral(const TrapDeferral&) = delete;
    TrapDeferral& operator=(const TrapDeferral&) = delete;

private:
    std::vector<DeferredTrap>* previous_;
};

// Gives a deferred failure to the trap as the standard handler would have given it: location
// code and error data as they stood, then number, description, module and procedure.
void gsReplayTrap(const DeferredTrap& trap);

// Runs a handled procedure's body. A failure inside it takes the standard handler and the
// body is left; the result tells whether the body ran to its end.
template <class Body>
bool gfblnRunHandled(std::string_view module, std::string_view procedure, Body&& body)
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        gsTrapFailure(gudtCaughtFailure(), module, procedure);
        return false;
    }
}

// Runs one step of a handled procedure. A failure that `excused` accepts ends the step there
// and the result is false, so the procedure can resume or retry; any other failure goes on to
// the procedure's own handler.
template <class Step, class Excused>
bool gfblnStepCompleted(Step&& step, Excused&& excused)
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        if (!excused(gudtCaughtFailure()))
            throw;
        return false;
    }
}
