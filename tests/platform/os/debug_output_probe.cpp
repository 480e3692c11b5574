// Writes one debugger-output line, for the test of the switch that allows it.
#include "platform/os/DebugOutput.h"

int main()
{
    platform::os::debugOutput("probe");
    return 0;
}
