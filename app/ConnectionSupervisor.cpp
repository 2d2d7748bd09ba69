#include "app/ConnectionSupervisor.h"

SupervisorStep ConnectionSupervisor::OnSuperviseTick(ConnectAttempt attempt, bool connected) {
    SupervisorStep step;
    if (attempt == ConnectAttempt::Running) {
        step.arm = TimerArm{SupervisionTimer::Supervise, timings_.attemptCheckMs};
        return step;
    }
    // An attempt that reported success on a connection that has ended again is not a failure: the
    // same tick starts the next one.
    if (attempt == ConnectAttempt::Failed) ++failedAttempts_;

    if (connected) {
        step.arm = TimerArm{SupervisionTimer::Poll, timings_.pollMs};
        step.overlay = BusyOverlay{false, BusyPicture::None};
        step.balloon = Balloon{L"连接成功", L"已成功连接服务器。", 3000};
        step.selectStocks = true;
        failedAttempts_ = 0;
        return step;
    }
    if (failedAttempts_ >= kAttemptsPerSeries) {
        step.arm = TimerArm{SupervisionTimer::Supervise, timings_.pauseMs};
        step.overlay = BusyOverlay{true, BusyPicture::None};
        step.balloon = Balloon{L"连接失败", L"无法连接至服务器。60秒后将重新连接。", 5000};
        failedAttempts_ = 0;
        return step;
    }
    step.arm = TimerArm{SupervisionTimer::Supervise, timings_.retryMs};
    step.startAttempt = true;
    step.overlay = BusyOverlay{true, BusyPicture::Connecting};
    step.balloon = Balloon{L"连接中", L"正在获取服务器连接(" + std::to_wstring(failedAttempts_ + 1) + L")。", 10000};
    return step;
}

SupervisorStep ConnectionSupervisor::OnPollTick(bool connected, bool loading) {
    SupervisorStep step;
    if (!connected) {
        step.arm = TimerArm{SupervisionTimer::Supervise, timings_.retryMs};
        step.overlay = BusyOverlay{true, BusyPicture::None};
        step.balloon = Balloon{L"失去连接", L"失去与服务器的连接，5秒钟后将尝试重连。", 3000};
        failedAttempts_ = 0;
        return step;
    }
    // Repeated on every tick; the list ignores a call that changes nothing.
    step.overlay = loading ? BusyOverlay{true, BusyPicture::Loading} : BusyOverlay{false, BusyPicture::None};
    step.takeNews = true;
    return step;
}
