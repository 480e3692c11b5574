#pragma once
// The starting side of the single-instance guard: a second copy of the
// program knocks on the shared mutex, then offers to end the copies that run.

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// Name of the mutex every copy opens, and the image searched in the process list.
extern const char* const kInstanceMutexName;   // "ZELTRA_LumaDeck"
extern const char* const kInstanceImageName;   // "LumaDeck.exe"

// What checkSingleInstance needs from the system; each member has a default
// (the real one) and tests replace them.
struct SingleInstanceHooks {
    std::function<bool()> isFirstInstance;
    std::function<std::vector<int32_t>(const QString& imageName)> queryProcessIds;
    std::function<int32_t()> currentProcessId;
    std::function<bool(int32_t pid)> terminateProcess;
};

SingleInstanceHooks defaultSingleInstanceHooks();

// True: go on starting; false: leave at once.
bool checkSingleInstance();
bool checkSingleInstance(const SingleInstanceHooks& hooks);

// True when this process is the first to open the named mutex; it then keeps
// the mutex open for the rest of its life. Otherwise the copy knocks (owns the
// mutex for `knockMs`), closes it and returns false.
bool isFirstInstance(int knockMs = 500);

// Process ids of the running copies of `imageName` (this process included),
// read from the system's task list.
std::vector<int32_t> queryProcessIds(const QString& imageName);

// The ids of `ids` whose processes run under this process's user.
std::vector<int32_t> ownProcessIds(const std::vector<int32_t>& ids);

// Parses a task list ("\r\n" lines: empty line, header, rule of '=', one line
// per task, final line break) into the process ids of its task lines.
std::vector<int32_t> parseProcessIds(const QString& taskListText);

// True when the arguments are exactly the program and "-nopreview".
bool isNoPreviewRequested(const QStringList& arguments);
