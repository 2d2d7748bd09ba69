#pragma once
// What the pop-up's window tests share: a scratch program folder with the skin's pop-up pictures and a
// Setting.ini of the test's choosing, GDI+ and the link control, message pumping, and items to announce.
#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "connection/Category.h"
#include "alerts/AlertMatcher.h"
#include "connection/NewsItem.h"
#include "framework/Sessions.h"
#include "popup/QuickInform.h"
#include "tests/core/support/TempWorkingDirectory.h"
#include "tests/windows/support/MessagePump.h"

using PropertyKeys = std::map<std::wstring, std::wstring>;

// Every switch on, the stay times at their first choices.
extern const PropertyKeys kAllSwitchesOn;

class PopupFolder {
public:
    // The pop-up pictures of the source tree's skin are copied in; keys go into [Properties].
    explicit PopupFolder(const PropertyKeys& keys = kAllSwitchesOn);
    void Write(const PropertyKeys& keys) const;

private:
    fw::GdiplusSession gdiplus_;
    TempWorkingDirectory folder_;
};

NewsItem Item(const Guid& category, const std::wstring& title, const std::wstring& link = L"http://news.example/1",
              std::int64_t publishTime = 1'315'271'100);

// An alert on a headline's visible text: every occurrence of each word is a matched span.
alerts::AlertMatch Alert(const std::wstring& visibleText, std::initializer_list<std::wstring_view> words,
                         bool sound = true);

// Timers that never fire by themselves during a test: the test sends each step.
constexpr QuickInformIntervals kStepsByHand{3'600'000, 1};

void Tick(CQuickInform& popup, UINT_PTR timer = CQuickInform::kMotionTimer);
// Sends motion steps until one changes nothing (the real timer would have stopped there); the step count.
int Settle(CQuickInform& popup);

RECT WindowRectOf(HWND hwnd);
bool Same(const RECT& a, const RECT& b);
RECT WorkArea();

// Sets the desktop work area for the length of a scope and puts the previous one back.
class ScopedWorkArea {
public:
    explicit ScopedWorkArea(const RECT& area);
    ~ScopedWorkArea();

private:
    RECT previous_;
};

// A click on an entry's logo, which leaves clicks to the entry.
void Click(HWND entry);

// The pop-up's entries (its child dialogs), top to bottom.
std::vector<HWND> EntryWindows(HWND popup);
