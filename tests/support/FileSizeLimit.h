#pragma once
// Lets the files of this process grow to at most a given size while an
// object lives: a write beyond fails part-way with EFBIG, as one onto a full
// disk fails with ENOSPC, without a full disk; the limit holds for root too.

#include <csignal>

#include <sys/resource.h>

namespace lumatest {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_action = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_action);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_action)(int) = SIG_DFL;
};

}  // namespace lumatest
