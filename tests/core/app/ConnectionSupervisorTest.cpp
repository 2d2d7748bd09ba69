#include "app/ConnectionSupervisor.h"

#include <gtest/gtest.h>

namespace {

constexpr TimerArm Supervise(unsigned ms) { return {SupervisionTimer::Supervise, ms}; }
constexpr TimerArm Poll(unsigned ms) { return {SupervisionTimer::Poll, ms}; }

std::wstring AttemptText(int n) { return L"正在获取服务器连接(" + std::to_wstring(n) + L")。"; }

TEST(ConnectionSupervisor, FirstTickStartsAttemptOneAHundredMillisecondsAfterOpening) {
    ConnectionSupervisor supervisor;
    EXPECT_EQ(supervisor.FirstTimer(), Supervise(100));
    const SupervisorStep step = supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    EXPECT_TRUE(step.startAttempt);
    EXPECT_EQ(step.arm, Supervise(5000));
    EXPECT_EQ(step.overlay, (BusyOverlay{true, BusyPicture::Connecting}));
    EXPECT_EQ(step.balloon, (Balloon{L"连接中", AttemptText(1), 10000}));
    EXPECT_FALSE(step.selectStocks);
    EXPECT_FALSE(step.takeNews);
}

TEST(ConnectionSupervisor, RunningAttemptIsLookedAtEverySecondWithoutCounting) {
    ConnectionSupervisor supervisor;
    supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    for (int i = 0; i < 20; ++i) {
        const SupervisorStep step = supervisor.OnSuperviseTick(ConnectAttempt::Running, false);
        EXPECT_EQ(step.arm, Supervise(1000));
        EXPECT_FALSE(step.startAttempt);
        EXPECT_FALSE(step.balloon);
        EXPECT_FALSE(step.overlay);
    }
    EXPECT_EQ(supervisor.FailedAttempts(), 0);
}

TEST(ConnectionSupervisor, TenFailuresAreNumberedThenPauseAMinuteAndStartAgainAtOne) {
    ConnectionSupervisor supervisor;
    std::vector<std::wstring> texts;
    SupervisorStep step = supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    texts.push_back(step.balloon->text);
    for (int failed = 1; failed < kAttemptsPerSeries; ++failed) {
        step = supervisor.OnSuperviseTick(ConnectAttempt::Failed, false);
        ASSERT_TRUE(step.startAttempt);
        texts.push_back(step.balloon->text);
    }
    for (int n = 1; n <= 10; ++n) EXPECT_EQ(texts[n - 1], AttemptText(n));

    step = supervisor.OnSuperviseTick(ConnectAttempt::Failed, false);
    EXPECT_FALSE(step.startAttempt);
    EXPECT_EQ(step.arm, Supervise(60000));
    EXPECT_EQ(step.overlay, (BusyOverlay{true, BusyPicture::None}));
    EXPECT_EQ(step.balloon, (Balloon{L"连接失败", L"无法连接至服务器。60秒后将重新连接。", 5000}));
    EXPECT_EQ(supervisor.FailedAttempts(), 0);

    step = supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    EXPECT_TRUE(step.startAttempt);
    EXPECT_EQ(step.balloon->text, AttemptText(1));
}

TEST(ConnectionSupervisor, SuccessSwitchesToPollingAndSelectsStocks) {
    ConnectionSupervisor supervisor;
    supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    supervisor.OnSuperviseTick(ConnectAttempt::Failed, false);
    supervisor.OnSuperviseTick(ConnectAttempt::Failed, false);
    const SupervisorStep step = supervisor.OnSuperviseTick(ConnectAttempt::Succeeded, true);
    EXPECT_EQ(step.arm, Poll(5000));
    EXPECT_FALSE(step.startAttempt);
    EXPECT_EQ(step.overlay, (BusyOverlay{false, BusyPicture::None}));
    EXPECT_EQ(step.balloon, (Balloon{L"连接成功", L"已成功连接服务器。", 3000}));
    EXPECT_TRUE(step.selectStocks);
    EXPECT_EQ(supervisor.FailedAttempts(), 0);
}

TEST(ConnectionSupervisor, SuccessOnAConnectionAlreadyLostIsNotAFailure) {
    ConnectionSupervisor supervisor;
    supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    const SupervisorStep step = supervisor.OnSuperviseTick(ConnectAttempt::Succeeded, false);
    EXPECT_EQ(supervisor.FailedAttempts(), 0);
    EXPECT_TRUE(step.startAttempt);
    EXPECT_EQ(step.balloon->text, AttemptText(1));
}

TEST(ConnectionSupervisor, PollTickFollowsLoadingAndTakesNews) {
    ConnectionSupervisor supervisor;
    SupervisorStep step = supervisor.OnPollTick(true, true);
    EXPECT_FALSE(step.arm) << "the poll timer stays as it is";
    EXPECT_EQ(step.overlay, (BusyOverlay{true, BusyPicture::Loading}));
    EXPECT_TRUE(step.takeNews);
    EXPECT_FALSE(step.balloon);

    step = supervisor.OnPollTick(true, false);
    EXPECT_EQ(step.overlay, (BusyOverlay{false, BusyPicture::None}));
    EXPECT_TRUE(step.takeNews);
}

TEST(ConnectionSupervisor, LostConnectionIsAnnouncedAndRetriedAfterFiveSecondsFromAttemptOne) {
    ConnectionSupervisor supervisor;
    supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    supervisor.OnSuperviseTick(ConnectAttempt::Failed, false);  // attempt 2 running
    supervisor.OnSuperviseTick(ConnectAttempt::Succeeded, true);

    SupervisorStep step = supervisor.OnPollTick(false, true);
    EXPECT_EQ(step.arm, Supervise(5000));
    EXPECT_EQ(step.overlay, (BusyOverlay{true, BusyPicture::None}));
    EXPECT_EQ(step.balloon, (Balloon{L"失去连接", L"失去与服务器的连接，5秒钟后将尝试重连。", 3000}));
    EXPECT_FALSE(step.takeNews);

    step = supervisor.OnSuperviseTick(ConnectAttempt::None, false);
    EXPECT_TRUE(step.startAttempt);
    EXPECT_EQ(step.balloon->text, AttemptText(1));
}

TEST(ConnectionSupervisor, IntervalsComeFromTheTimings) {
    ConnectionSupervisor supervisor({.firstTickMs = 1, .retryMs = 2, .attemptCheckMs = 3, .pauseMs = 4, .pollMs = 5});
    EXPECT_EQ(supervisor.FirstTimer(), Supervise(1));
    EXPECT_EQ(supervisor.OnSuperviseTick(ConnectAttempt::None, false).arm, Supervise(2));
    EXPECT_EQ(supervisor.OnSuperviseTick(ConnectAttempt::Running, false).arm, Supervise(3));
    SupervisorStep step;
    for (int i = 0; i < kAttemptsPerSeries; ++i) step = supervisor.OnSuperviseTick(ConnectAttempt::Failed, false);
    EXPECT_EQ(step.arm, Supervise(4));
    EXPECT_EQ(supervisor.OnSuperviseTick(ConnectAttempt::None, true).arm, Poll(5));
    EXPECT_EQ(supervisor.OnPollTick(false, false).arm, Supervise(2));
}

}  // namespace
