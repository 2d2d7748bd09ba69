#include "EventLog.h"

#include <ctime>

void EventLog::Line(const std::string& text) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[16] = "--:--:--";
    if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    std::string line = std::string(stamp) + " " + text + "\n";
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}
