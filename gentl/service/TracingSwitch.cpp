#include "TracingSwitch.h"

#include "GenTLBranding.h"
#include "GenTLSrvLogged.h"

#include <cstdlib>
#include <string>

namespace GenTLCore {

bool IsCallTracingRequested(const GenTLBranding& branding)
{
    const std::string name = branding.GetLoggingEnvVarName();
    return !name.empty() && std::getenv(name.c_str()) != nullptr;
}

GenTLSrvLogged* WrapForTracing(GenTLSrv& direct, const GenTLBranding& branding)
{
    if (!IsCallTracingRequested(branding))
        return nullptr;
    return new GenTLSrvLogged(&direct);
}

}  // namespace GenTLCore
