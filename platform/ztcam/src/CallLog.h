#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace ztcam {

// Order of SDK calls, for tests. Keeps at most kMaxEntries (the oldest are
// dropped) so a long-running program does not grow without bound.
class CallLog {
public:
    static constexpr size_t kMaxEntries = 100000;

    static CallLog& instance();
    void add(const char* name, int cameraIndex, bool frameCall);
    size_t size() const;
    bool entry(size_t position, const char** name, int* cameraIndex) const;
    std::string text() const;
    void clear();
    void setSkipFrameCalls(bool skip);

private:
    struct Entry {
        const char* name;
        int cameraIndex;
    };
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
    bool skipFrameCalls_ = false;
};

} // namespace ztcam
