#pragma once
// The error record of the last failure and the error trap that presents it.

#include "errors/Failure.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

extern std::int32_t glngErrLocation;   // location code of the stage most recently entered
extern std::int32_t glngErrNumber;     // number of the error caught
extern std::string gstrErrDescription; // its description
extern std::string gstrErrModule;      // module of the failing procedure
extern std::string gstrErrProcedure;   // the failing procedure
extern std::string gstrErrData;        // the file or folder entry being worked on, or empty

// Presents the unrecoverable-error dialog modally; returns only when the dialog was dismissed
// without ending the program.
void gsErrorTrap();

// The standard handler: records number, description, module and procedure in that order and
// calls the trap. Location code and error data are left as the procedure set them.
void gsTrapFailure(const Failure& failure, std::string_view module, std::string_view procedure);

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
