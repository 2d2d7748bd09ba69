#pragma once
// One line per event on standard output, stamped with the local time. Sessions log from their own
// threads, so whole lines are written under a lock and flushed at once for whoever reads the pipe.
#include <cstdio>
#include <mutex>
#include <string>

class EventLog {
public:
    explicit EventLog(std::FILE* out = stdout) : out_(out) {}

    void Line(const std::string& text);

private:
    std::mutex mutex_;
    std::FILE* out_;
};
