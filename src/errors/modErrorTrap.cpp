#include "errors/modErrorTrap.h"

#include "platform/WindowServices.h"

std::int32_t glngErrLocation = 0;
std::int32_t glngErrNumber = 0;
std::string gstrErrDescription;
std::string gstrErrModule;
std::string gstrErrProcedure;
std::string gstrErrData;

void gsErrorTrap()
{
    platform::gudtWindowServices().PresentErrorTrap();
}

void gsTrapFailure(const Failure& failure, std::string_view module, std::string_view procedure)
{
    glngErrNumber = failure.Number();
    gstrErrDescription = failure.Description();
    gstrErrModule = module;
    gstrErrProcedure = procedure;
    gsErrorTrap();
}
