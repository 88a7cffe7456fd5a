#include "errors/modErrorTrap.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

std::int32_t glngErrLocation = 0;
std::int32_t glngErrNumber = 0;
std::string gstrErrDescription;
std::string gstrErrModule;
std::string gstrErrProcedure;
std::string gstrErrData;

namespace {

ErrorTrapPresenter& mudtPresenter()
{
    static ErrorTrapPresenter presenter;
    return presenter;
}

} // namespace

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
    glngErrNumber = failure.Number();
    gstrErrDescription = failure.Description();
    gstrErrModule = module;
    gstrErrProcedure = procedure;
    gsErrorTrap();
}
