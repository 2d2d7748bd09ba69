// Dialogs run modally and modelessly from templates: what ends a modal run and with which result, who owns
// a dialog run without an owner, and how a dialog's object and window end together.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "framework/Application.h"
#include "framework/Dialog.h"
#include "tests/windows/framework/TestDialogs.h"

namespace {

constexpr UINT_PTR kEndTimer = 1;

// Runs a step once the modal run has started, from a timer, as a user's action would arrive.
class ScriptedDlg : public fw::Dialog {
public:
    explicit ScriptedDlg(std::function<void(ScriptedDlg&)> step) : Dialog(IDD_TEST_PLAIN), step_(std::move(step)) {}
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

TEST(Dialog, ObjectEndingFirstTakesItsWindowAlong) {
    HWND window = nullptr;
    {
        ScriptedDlg dialog([](ScriptedDlg&) {});
        ASSERT_TRUE(dialog.Create(nullptr));
        window = dialog.Hwnd();
    }
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
