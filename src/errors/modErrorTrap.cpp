#include "errors/modErrorTrap.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <type_traits>

thread_local std::int32_t glngErrLocation = 0;
std::int32_t glngErrNumber = 0;
std::string gstrErrDescription;
std::string gstrErrModule;
std::string gstrErrProcedure;
thread_local ErrorData gstrErrData;

static_assert(std::is_trivially_destructible_v<ErrorData>, "a thread's end must run no destructor on its error data");

const std::string& ErrorData::mudtNone()
{
    static const std::string none;
    return none;
}

void gsEndThreadErrorRecord() { gstrErrData.Release(); }

namespace {

ErrorTrapPresenter& mudtPresenter()
{
    static ErrorTrapPresenter presenter;
    return presenter;
}

// The sink of the TrapDeferral alive on this thread, if any.
thread_local std::vector<DeferredTrap>* mudtDeferredSink = nullptr;

} // namespace

TrapDeferral::TrapDeferral(std::vector<DeferredTrap>& sink) : previous_(mudtDeferredSink) { mudtDeferredSink = &sink; }

TrapDeferral::~TrapDeferral() { mudtDeferredSink = previous_; }

void gsReplayTrap(const DeferredTrap& trap)
{
    glngErrLocation = trap.Location;
    gstrErrData = trap.Data;
    gsTrapFailure(trap.Caught, trap.Module, trap.Procedure);
}

void gsSetErrorTrapPresenter(ErrorTrapPresenter presenter) { mudtPresenter() = std::move(presenter); }

const ErrorTrapPresenter& gudtErrorTrapPresenter() { return mudtPresenter(); }

void gsErrorTrap()
{
    if (const ErrorTrapPresenter& presenter = mudtPresenter()) {
        presenter();
        return;
    }
    std::cerr << "Run-time error '" << glngErrNumber << "': " << gstrErrDescription << "\n";
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(2);
}

void gsTrapFailure(const Failure& failure, std::string_view module, std::string_view procedure)
{
    if (mudtDeferredSink != nullptr) {
        mudtDeferredSink->push_back(
            {failure, std::string(module), std::string(procedure), glngErrLocation, gstrErrData});
        return;
    }
    glngErrNumber = failure.Number();
    gstrErrDescription = failure.Description();
    gstrErrModule = module;
    gstrErrProcedure = procedure;
    gsErrorTrap();
}
