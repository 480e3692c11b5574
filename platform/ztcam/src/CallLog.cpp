#include "CallLog.h"

namespace ztcam {

CallLog& CallLog::instance()
{
    // Never destroyed: frame threads of cameras left open at exit may still
    // log while static objects are torn down.
    static CallLog* log = new CallLog;
    return *log;
}

void CallLog::add(const char* name, int cameraIndex, bool frameCall)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (frameCall && skipFrameCalls_)
        return;
    if (entries_.size() >= kMaxEntries)
        entries_.pop_front();
    entries_.push_back({name, cameraIndex});
}

size_t CallLog::size() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

bool CallLog::entry(size_t position, const char** name, int* cameraIndex) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (position >= entries_.size())
        return false;
    if (name)
        *name = entries_[position].name;
    if (cameraIndex)
        *cameraIndex = entries_[position].cameraIndex;
    return true;
}

std::string CallLog::text() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out;
    for (const Entry& e : entries_) {
        out += e.name;
        out += ' ';
        out += std::to_string(e.cameraIndex);
        out += '\n';
    }
    return out;
}

void CallLog::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

void CallLog::setSkipFrameCalls(bool skip)
{
    std::lock_guard<std::mutex> lock(mutex_);
    skipFrameCalls_ = skip;
}

} // namespace ztcam
