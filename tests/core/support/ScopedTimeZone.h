#pragma once
// Sets the local time zone for the length of a scope and puts back the one the process had, so that tests
// of local times read the same on every machine. The TZ notation ("CST-8", "UTC0") reads the same to the C
// runtimes on Windows and Linux.
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* current = std::getenv("TZ")) saved_ = current;
        Set(zone);
    }
    ~ScopedTimeZone() { Set(saved_ ? saved_->c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    static void Set(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : "");
        _tzset();
#else
        if (zone)
            setenv("TZ", zone, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }

    std::optional<std::string> saved_;
};
