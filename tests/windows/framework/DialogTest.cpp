// Dialogs run modally and modelessly from templates: what ends a modal run and with which result, who owns
// a dialog run without an owner, what the run's own loop offers its message filters, and how a dialog's
// object and window end together.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/Dialog.h"
#include "framework/MessageFilter.h"
#include "tests/windows/framework/CapturedDiagnostics.h"
#include "tests/windows/framework/TestDialogs.h"
#include "tests/windows/support/MessagePump.h"

namespace {

constexpr UINT_PTR kEndTimer = 1;

// Runs a step once the modal run has started, from a timer, as a user's action would arrive.
class ScriptedDlg : public fw::Dialog {
public:
    explicit ScriptedDlg(std::function<void(ScriptedDlg&)> step, int templateId = IDD_TEST_PLAIN)
        : Dialog(templateId), step_(std::move(step)) {}
    HWND ownerAtOpening = nullptr;
    bool boundBeforeInit = false;
    bool initialised = false;

    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<ScriptedDlg> table[] = {
            fw::OnTimer(kEndTimer, &ScriptedDlg::OnStep),
        };
        return fw::Dispatch(*this, table, message) || Dialog::HandleMessage(message);
    }

protected:
    void BindControls() override { boundBeforeInit = !initialised; }
    bool OnInitDialog() override {
        initialised = true;
        ownerAtOpening = GetWindow(Hwnd(), GW_OWNER);
        SetTimer(Hwnd(), kEndTimer, 10, nullptr);
        return true;
    }

private:
    void OnStep() {
        KillTimer(Hwnd(), kEndTimer);
        step_(*this);
    }
    std::function<void(ScriptedDlg&)> step_;
};

struct ModalCase {
    const char* name;
    std::function<void(ScriptedDlg&)> step;
    INT_PTR result;
};

TEST(Dialog, ModalRunEndsWithTheResultOfWhatEndedIt) {
    const ModalCase cases[] = {
        {"confirm command (Enter)", [](ScriptedDlg& d) { PostMessageW(d.Hwnd(), WM_COMMAND, IDOK, 0); }, IDOK},
        {"cancel command (Esc)", [](ScriptedDlg& d) { PostMessageW(d.Hwnd(), WM_COMMAND, IDCANCEL, 0); }, IDCANCEL},
        {"close box", [](ScriptedDlg& d) { PostMessageW(d.Hwnd(), WM_CLOSE, 0, 0); }, IDCANCEL},
        {"EndDialog from a handler", [](ScriptedDlg& d) { d.EndDialog(42); }, 42},
    };
    for (const ModalCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDlg dialog(c.step);
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_TRUE(dialog.boundBeforeInit);
        EXPECT_EQ(dialog.Hwnd(), nullptr);
    }
}

struct TestApplication : fw::Application {
    bool InitInstance() override { return true; }
};

TEST(Dialog, OneObjectRunsModallyAgainAndItsOwnerIsDisabledOnlyMeanwhile) {
    ScriptedDlg owner([](ScriptedDlg&) {});
    ASSERT_TRUE(owner.Create(nullptr));
    bool ownerEnabledDuringRun = true;
    int runs = 0;
    ScriptedDlg dialog([&](ScriptedDlg& d) {
        ownerEnabledDuringRun = IsWindowEnabled(owner.Hwnd()) != FALSE;
        EXPECT_TRUE(IsWindowVisible(d.Hwnd()));
        d.EndDialog(100 + ++runs);
    });
    for (const INT_PTR expected : {101, 102}) {
        EXPECT_EQ(dialog.DoModal(owner.Hwnd()), expected);
        EXPECT_FALSE(ownerEnabledDuringRun);
        EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));
        EXPECT_EQ(dialog.Hwnd(), nullptr);
    }

    // Ended while opening: never shown, and the owner is enabled again.
    struct EndingDlg : ScriptedDlg {
        EndingDlg() : ScriptedDlg([](ScriptedDlg&) {}) {}
        bool OnInitDialog() override {
            EndDialog(0);
            return true;
        }
    } ending;
    EXPECT_EQ(ending.DoModal(owner.Hwnd()), 0);
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));
}

TEST(Dialog, ModalRunsNestAndEachOwnerComesBackEnabled) {
    // The main window runs modally for the whole program and runs the settings dialog from a handler.
    bool outerEnabledDuringInner = true;
    ScriptedDlg inner([&](ScriptedDlg& d) {
        outerEnabledDuringInner = IsWindowEnabled(GetWindow(d.Hwnd(), GW_OWNER)) != FALSE;
        d.EndDialog(7);
    });
    INT_PTR innerResult = 0;
    bool outerEnabledAfterInner = false;
    ScriptedDlg outer([&](ScriptedDlg& d) {
        innerResult = inner.DoModal(d.Hwnd());
        outerEnabledAfterInner = IsWindowEnabled(d.Hwnd()) != FALSE;
        d.EndDialog(8);
    });
    EXPECT_EQ(outer.DoModal(), 8);
    EXPECT_EQ(innerResult, 7);
    EXPECT_FALSE(outerEnabledDuringInner);
    EXPECT_TRUE(outerEnabledAfterInner);
}

TEST(Dialog, ModalRunEndedByAMessageFromAnotherThreadEndsAtOnce) {
    constexpr UINT kEndFromThread = WM_APP + 7;
    struct EndedFromThreadDlg : ScriptedDlg {
        using ScriptedDlg::ScriptedDlg;
        std::thread sender;
        bool HandleMessage(fw::Message& message) override {
            if (message.id == kEndFromThread) EndDialog(5);
            return ScriptedDlg::HandleMessage(message);
        }
    };
    int steps = 0;
    EndedFromThreadDlg dialog([&](ScriptedDlg& d) {
        if (steps++ > 0) return d.EndDialog(-2);  // still running a second later
        auto& self = static_cast<EndedFromThreadDlg&>(d);
        const HWND window = d.Hwnd();
        self.sender = std::thread([window] { SendMessageW(window, kEndFromThread, 0, 0); });
        SetTimer(window, kEndTimer, 1000, nullptr);
    });
    EXPECT_EQ(dialog.DoModal(), 5);
    dialog.sender.join();
}

TEST(Dialog, ModalRunWithoutOwnerIsOwnedByTheMainWindow) {
    TestApplication application;
    ScriptedDlg mainWindow([](ScriptedDlg&) {});
    ASSERT_TRUE(mainWindow.Create(nullptr));
    application.SetMainWindow(&mainWindow);

    ScriptedDlg settings([](ScriptedDlg& d) { d.EndDialog(IDOK); });
    settings.DoModal();
    EXPECT_EQ(settings.ownerAtOpening, mainWindow.Hwnd());

    ScriptedDlg ownedElsewhere([](ScriptedDlg& d) { d.EndDialog(IDOK); });
    ScriptedDlg otherOwner([](ScriptedDlg&) {});
    ASSERT_TRUE(otherOwner.Create(nullptr));
    ownedElsewhere.DoModal(otherOwner.Hwnd());
    EXPECT_EQ(ownedElsewhere.ownerAtOpening, otherOwner.Hwnd());
}

// Notes the messages the loop offers it and takes those of one number.
class RecordingFilter : public fw::MessageFilter {
public:
    RecordingFilter(std::string name, std::vector<std::string>& log, UINT takes)
        : name_(std::move(name)), log_(log), takes_(takes) {}
    bool leaveAfterFirst = false;

    bool PreTranslateMessage(MSG& message) override {
        if (message.message < WM_APP) return false;
        log_.push_back(name_ + " " + std::to_string(message.message - WM_APP));
        if (leaveAfterFirst) RemoveMessageFilter();
        return message.message == takes_;
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
    UINT takes_;
};

// A control that answers its own keys, as a hosted browser does with Enter and Escape.
class KeyRecorder : public fw::Control {
public:
    std::vector<WPARAM> keys;
    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<KeyRecorder> table[] = {
            fw::OnMessage(WM_KEYDOWN, &KeyRecorder::OnKeyDown),
        };
        return fw::Dispatch(*this, table, message) || Control::HandleMessage(message);
    }

private:
    fw::Result OnKeyDown(WPARAM key, LPARAM) {
        keys.push_back(key);
        return 0;
    }
};

class DialogWithMessageLog : public ScriptedDlg {
public:
    using ScriptedDlg::ScriptedDlg;
    std::vector<std::string> received;
    bool HandleMessage(fw::Message& message) override {
        if (message.id >= WM_APP && message.id < WM_APP + 10) received.push_back(std::to_string(message.id - WM_APP));
        return ScriptedDlg::HandleMessage(message);
    }
};

TEST(Dialog, ModalRunOffersEachMessageToTheFiltersLatestFirst) {
    TestApplication application;
    std::vector<std::string> log;
    RecordingFilter early("early", log, WM_APP + 1);
    RecordingFilter late("late", log, WM_APP + 2);
    ASSERT_TRUE(early.AddMessageFilter());
    ASSERT_TRUE(late.AddMessageFilter());
    late.leaveAfterFirst = true;

    DialogWithMessageLog dialog([](ScriptedDlg& d) {
        for (UINT message : {WM_APP + 2, WM_APP + 1, WM_APP + 3}) PostMessageW(d.Hwnd(), message, 0, 0);
        PostMessageW(d.Hwnd(), WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    // "late" takes the first message and leaves the chain while it runs; "early" takes the second.
    EXPECT_EQ(log, (std::vector<std::string>{"late 2", "early 1", "early 3"}));
    EXPECT_EQ(dialog.received, std::vector<std::string>{"3"});
}

TEST(Dialog, EnterAndEscapeInAControlThatWantsThemNeverEndTheModalRun) {
    TestApplication application;
    struct HostDlg : ScriptedDlg {
        using ScriptedDlg::ScriptedDlg;
        KeyRecorder hosted;
        fw::DirectEnterAndEscape keys;
        void BindControls() override {
            Bind(IDC_TEST_LABEL, hosted);
            keys.SetArea(hosted.Hwnd());
            keys.AddMessageFilter();
        }
    };
    int step = 0;
    HostDlg dialog([&](ScriptedDlg& d) {
        auto& host = static_cast<HostDlg&>(d);
        if (step++ == 0) {
            // Typed into the hosted control; the dialog manager would make them the confirm and cancel commands.
            for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) PostMessageW(host.hosted.Hwnd(), WM_KEYDOWN, key, 0);
            SetTimer(d.Hwnd(), kEndTimer, 50, nullptr);
        } else {
            d.EndDialog(42);
        }
    });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.hosted.keys, (std::vector<WPARAM>{VK_RETURN, VK_ESCAPE}));

    // The same keys typed elsewhere in the dialog still confirm and cancel.
    for (const auto& [key, result] : {std::pair{VK_RETURN, IDOK}, std::pair{VK_ESCAPE, IDCANCEL}}) {
        int steps = 0;
        ScriptedDlg plain([key, &steps](ScriptedDlg& d) {
            if (steps++ > 0) return d.EndDialog(-2);  // the key did nothing
            const HWND check = GetDlgItem(d.Hwnd(), IDC_TEST_CHECK);
            SetFocus(check);
            PostMessageW(check, WM_KEYDOWN, key, 0);
            SetTimer(d.Hwnd(), kEndTimer, 200, nullptr);
        });
        EXPECT_EQ(plain.DoModal(), result);
    }
}

// A child panel whose object lives as long as its window and frees itself after it.
class SelfFreeingChild : public fw::Dialog {
public:
    explicit SelfFreeingChild(int& freed) : Dialog(IDD_TEST_CHILD), freed_(freed) {}
    ~SelfFreeingChild() override { ++freed_; }

protected:
    void OnFinalMessage(HWND) override { delete this; }

private:
    int& freed_;
};

TEST(Dialog, ChildDialogFreesItselfAfterItsWindowIsDestroyed) {
    struct Case {
        const char* name;
        bool destroyParent;
    };
    for (const Case c : {Case{"child destroyed", false}, Case{"parent destroyed", true}}) {
        SCOPED_TRACE(c.name);
        ScriptedDlg parent([](ScriptedDlg&) {});
        ASSERT_TRUE(parent.Create(nullptr));
        int freed = 0;
        auto* child = new SelfFreeingChild(freed);
        ASSERT_TRUE(child->Create(parent.Hwnd()));
        const HWND childWindow = child->Hwnd();
        EXPECT_EQ(GetParent(childWindow), parent.Hwnd());
        EXPECT_EQ(freed, 0);

        DestroyWindow(c.destroyParent ? parent.Hwnd() : childWindow);
        EXPECT_EQ(freed, 1);
        EXPECT_FALSE(IsWindow(childWindow));
    }
}

TEST(Dialog, ObjectEndingFirstTakesItsWindowAlongAndSaysSo) {
    const CapturedDiagnostics diagnostics;
    HWND window = nullptr;
    {
        ScriptedDlg dialog([](ScriptedDlg&) {});
        ASSERT_TRUE(dialog.Create(nullptr));
        window = dialog.Hwnd();
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(CapturedDiagnostics::OneLineWith({L"Dialog 100", L"Destroy"}));
}

// A parent with a child panel as a member, which notes every message that arrives after its end began.
class ParentDlg : public fw::Dialog {
public:
    explicit ParentDlg(int& lateMessages) : Dialog(IDD_TEST_PLAIN), lateMessages_(lateMessages) {}
    ~ParentDlg() override {
        ending_ = true;
        panel.Destroy();
    }
    struct Panel : fw::Dialog {
        Panel() : Dialog(IDD_TEST_CHILD) {}
    } panel;

    bool HandleMessage(fw::Message& message) override {
        if (ending_) ++lateMessages_;
        return Dialog::HandleMessage(message);
    }

protected:
    bool OnInitDialog() override { return panel.Create(Hwnd()); }

private:
    int& lateMessages_;
    bool ending_ = false;
};

TEST(Dialog, OwnerDestroysTheWindowFirstAndTheObjectHearsNothingAfterItsEnd) {
    const CapturedDiagnostics diagnostics;
    int lateMessages = 0;
    auto* parent = new ParentDlg(lateMessages);
    ASSERT_TRUE(parent->Create(nullptr));
    ASSERT_NE(parent->panel.Hwnd(), nullptr);
    const HWND panelWindow = parent->panel.Hwnd();

    parent->Destroy();
    EXPECT_EQ(parent->panel.Hwnd(), nullptr);
    EXPECT_FALSE(IsWindow(panelWindow));
    delete parent;
    EXPECT_EQ(lateMessages, 0);
    EXPECT_TRUE(CapturedDiagnostics::Lines().empty());
}

TEST(Dialog, MainWindowIsForgottenWithItsObject) {
    TestApplication application;
    {
        ScriptedDlg mainWindow([](ScriptedDlg&) {});
        application.SetMainWindow(&mainWindow);
    }
    EXPECT_EQ(application.MainWindow(), nullptr);
    ScriptedDlg later([](ScriptedDlg& d) { d.EndDialog(IDOK); });
    EXPECT_EQ(later.DoModal(), IDOK);
    EXPECT_EQ(later.ownerAtOpening, nullptr);
}

TEST(Dialog, SecondWindowForOneObjectIsRefused) {
    ScriptedDlg dialog([](ScriptedDlg&) {});
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND first = dialog.Hwnd();
    {
        const CapturedDiagnostics diagnostics;
        EXPECT_FALSE(dialog.Create(nullptr));
        EXPECT_TRUE(CapturedDiagnostics::OneLineWith({L"Dialog 100", L"Create"}));
    }
    {
        const CapturedDiagnostics diagnostics;
        EXPECT_EQ(dialog.DoModal(), -1);
        EXPECT_TRUE(CapturedDiagnostics::OneLineWith({L"Dialog 100", L"DoModal"}));
    }
    EXPECT_EQ(dialog.Hwnd(), first);
    dialog.Destroy();
}

// A modeless dialog that keeps its window, hidden, when closed.
class HidingDlg : public ScriptedDlg {
public:
    HidingDlg() : ScriptedDlg([](ScriptedDlg&) {}) {}

protected:
    bool HidesWhenClosed() const override { return true; }
};

TEST(Dialog, ClosedModelessDialogIsDestroyedUnlessItsClassHidesIt) {
    TestApplication application;
    struct Case {
        const char* name;
        std::function<void(HWND)> close;
    };
    const Case cases[] = {
        {"Escape", [](HWND d) { PostMessageW(GetDlgItem(d, IDC_TEST_CHECK), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"Alt+F4", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"cancel command", [](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); }},
        {"confirm command", [](HWND d) { PostMessageW(d, WM_COMMAND, IDOK, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDlg modeless([](ScriptedDlg&) {});
        ASSERT_TRUE(modeless.Create(nullptr));
        ShowWindow(modeless.Hwnd(), SW_SHOWNOACTIVATE);
        const HWND window = modeless.Hwnd();
        c.close(window);
        PumpPending();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(modeless.Hwnd(), nullptr);

        HidingDlg hiding;
        ASSERT_TRUE(hiding.Create(nullptr));
        ShowWindow(hiding.Hwnd(), SW_SHOWNOACTIVATE);
        c.close(hiding.Hwnd());
        PumpPending();
        ASSERT_TRUE(IsWindow(hiding.Hwnd()));
        EXPECT_FALSE(IsWindowVisible(hiding.Hwnd()));
        hiding.Destroy();
    }
}

}  // namespace
