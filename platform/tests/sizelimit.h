// A file-size limit for this process while the guard lives, as a disk that fills up during a
// save: a write beyond it fails with EFBIG (the signal the system would send is ignored
// meanwhile). Both are put back as they were.
#pragma once

#include <csignal>
#include <sys/resource.h>

class TSizeLimit {
public:
    explicit TSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, handler_);
    }
    TSizeLimit(const TSizeLimit&) = delete;
    TSizeLimit& operator=(const TSizeLimit&) = delete;

private:
    void (*handler_)(int);
    rlimit previous_{};
};
