#pragma once
// What the main window does on each tick of its two supervision timers. The supervisor timer runs while
// no connection is up: it starts connect attempts one at a time, counts the failed ones and pauses after
// ten in a row. The poll timer runs while connected: it notices a lost connection, keeps the busy overlay
// in step with history loading and lets the window take the queued headlines. Exactly one timer is armed.
// The window carries the steps out; the state kept between ticks is the count of failed attempts.
#include <optional>
#include <string>

// The product's intervals; tests shorten them.
struct SupervisorTimings {
    unsigned firstTickMs = 100;       // from the window's opening to the first attempt
    unsigned retryMs = 5000;          // after a started attempt and after a lost connection
    unsigned attemptCheckMs = 1000;   // while an attempt is still running
    unsigned pauseMs = 60000;         // after a series of failed attempts
    unsigned pollMs = 5000;           // a safety net while connected: every change also posts a wake-up
};

// The attempts of one series, numbered 1 to this in the balloons.
inline constexpr int kAttemptsPerSeries = 10;

// The connect thread as the supervisor tick finds it; a finished one has been collected.
enum class ConnectAttempt { None, Running, Succeeded, Failed };

enum class SupervisionTimer { Supervise, Poll };
struct TimerArm {
    SupervisionTimer timer;
    unsigned delayMs;
    friend bool operator==(const TimerArm&, const TimerArm&) = default;
};

enum class BusyPicture { None, Connecting, Loading };
struct BusyOverlay {
    bool show;
    BusyPicture picture;
    friend bool operator==(const BusyOverlay&, const BusyOverlay&) = default;
};

struct Balloon {
    std::wstring title;
    std::wstring text;
    unsigned timeoutMs;
    friend bool operator==(const Balloon&, const Balloon&) = default;
};

// One tick's work, carried out in the order of the fields.
struct SupervisorStep {
    std::optional<TimerArm> arm;           // the timer to arm, the other one killed; none leaves both as they are
    bool startAttempt = false;             // start a connect thread
    std::optional<BusyOverlay> overlay;    // over the news list
    std::optional<Balloon> balloon;        // at the tray icon
    bool selectStocks = false;             // as a click on the stocks tab
    bool takeNews = false;                 // take every queued headline and route it
};

class ConnectionSupervisor {
public:
    explicit ConnectionSupervisor(SupervisorTimings timings = {}) : timings_(timings) {}

    // Armed when the window opens.
    TimerArm FirstTimer() const { return {SupervisionTimer::Supervise, timings_.firstTickMs}; }

    SupervisorStep OnSuperviseTick(ConnectAttempt attempt, bool connected);
    SupervisorStep OnPollTick(bool connected, bool loading);

    int FailedAttempts() const { return failedAttempts_; }

private:
    SupervisorTimings timings_;
    int failedAttempts_ = 0;
};
