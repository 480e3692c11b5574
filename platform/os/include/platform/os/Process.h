#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform::os {

// Ids of the running processes whose image is `imageName`. A trailing ".exe"
// in the name is ignored, so "LumaDeck.exe" finds the process "LumaDeck".
std::vector<int32_t> processIdsByImage(const std::string& imageName);

// The same list laid out as the Windows task list tool prints it for
// "/FI imagename eq <name>": an empty line, a header, a rule of '=' signs and
// one line per process, each ended by "\r\n". With no match it is the tool's
// one-line answer "INFO: No tasks are running which match the specified criteria.\r\n".
std::string processListText(const std::string& imageName);

// True when the process runs under the same user as this one.
bool isOwnProcess(int32_t pid);

// Asks the process to end. False if it does not exist or may not be signalled.
bool terminateProcess(int32_t pid);

int32_t currentProcessId();

}  // namespace platform::os
