// A disk that fills up, for the tests of write failures: while it lives, no file of this process
// grows past a size, and a write beyond it fails (EFBIG) instead of raising SIGXFSZ.
#pragma once

#include <sys/resource.h>

#include <csignal>

class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t nBytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_pOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {nBytes, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_pOldHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old;
    void (*m_pOldHandler)(int);
};
