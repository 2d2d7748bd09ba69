#pragma once
// A window's message table: a constant array of entries (message, control id or notification code, handler),
// tried from the top; the first entry that matches and does not decline answers the message.
//
//     bool CMyDlg::HandleMessage(fw::Message& message) {
//         static constexpr fw::MessageEntry<CMyDlg> table[] = {
//             fw::OnCommand(1067, &CMyDlg::OnSettings),
//             fw::OnNotify(1024, NM_CLICK, &CMyDlg::OnLinkClick),
//             fw::OnTimer(1556, &CMyDlg::OnSupervise),
//             fw::OnMessage(WM_NCHITTEST, &CMyDlg::OnNcHitTest),
//         };
//         return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
//     }
//
// The last line chains to the base class's table; what no table answers gets the default processing.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <span>

namespace fw {

// A message as it reaches a table, and the result a handler gave it.
struct Message {
    UINT id;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
};

// What a plain message handler returns: the message's result, or Declined to let the message go on to the
// next entry, the base class's table and at last the default processing (a handler may act and decline).
using Result = std::optional<LRESULT>;
inline constexpr std::nullopt_t Declined = std::nullopt;

// A parent hands owner drawing and control colouring back to the control they concern under these numbers,
// kept apart from the control's own messages.
inline constexpr UINT kReflectedBase = WM_USER + 0x1C00;
constexpr UINT Reflected(UINT message) { return kReflectedBase + message; }

// A command in the dialog manager's sense: a menu item or accelerator (no control), or a button click.
constexpr bool IsPlainCommand(WPARAM wParam, LPARAM lParam) { return lParam == 0 || HIWORD(wParam) == BN_CLICKED; }

template <class Owner>
struct MessageEntry {
    enum class Kind { Message, Command, Notify, Timer };
    static constexpr UINT kPlainCommand = 0xFFFFFFFF;  // above every 16-bit notification code

    Kind kind;
    UINT message = 0;   // Kind::Message
    UINT_PTR id = 0;    // control id or timer id
    UINT code = 0;      // notification code, or kPlainCommand
    Result (Owner::*onMessage)(WPARAM, LPARAM) = nullptr;
    void (Owner::*onCommand)() = nullptr;  // commands and timers
    LRESULT (Owner::*onNotify)(NMHDR&) = nullptr;

    bool Matches(const Message& m) const {
        switch (kind) {
            case Kind::Message: return m.id == message;
            case Kind::Command:
                return m.id == WM_COMMAND && LOWORD(m.wParam) == id &&
                       (code == kPlainCommand ? IsPlainCommand(m.wParam, m.lParam) : HIWORD(m.wParam) == code);
            case Kind::Notify: {
                if (m.id != WM_NOTIFY) return false;
                const auto& header = *reinterpret_cast<const NMHDR*>(m.lParam);
                return header.idFrom == id && header.code == code;
            }
            case Kind::Timer: return m.id == WM_TIMER && m.wParam == id;
        }
        return false;
    }
};

// Any message by its number.
template <class Owner>
constexpr MessageEntry<Owner> OnMessage(UINT message, Result (Owner::*handler)(WPARAM, LPARAM)) {
    MessageEntry<Owner> entry{MessageEntry<Owner>::Kind::Message};
    entry.message = message;
    entry.onMessage = handler;
    return entry;
}

// WM_COMMAND from a menu item, an accelerator or a click of the control with this id.
template <class Owner>
constexpr MessageEntry<Owner> OnCommand(int id, void (Owner::*handler)()) {
    MessageEntry<Owner> entry{MessageEntry<Owner>::Kind::Command};
    entry.id = static_cast<UINT_PTR>(id);
    entry.code = MessageEntry<Owner>::kPlainCommand;
    entry.onCommand = handler;
    return entry;
}

// WM_COMMAND with one notification code from the control with this id (CBN_SELCHANGE, BN_DOUBLECLICKED, ...).
template <class Owner>
constexpr MessageEntry<Owner> OnCommand(int id, UINT code, void (Owner::*handler)()) {
    MessageEntry<Owner> entry = OnCommand(id, handler);
    entry.code = code;
    return entry;
}

// WM_NOTIFY with one notification code from the control with this id; the handler's value is the result.
template <class Owner>
constexpr MessageEntry<Owner> OnNotify(int id, UINT code, LRESULT (Owner::*handler)(NMHDR&)) {
    MessageEntry<Owner> entry{MessageEntry<Owner>::Kind::Notify};
    entry.id = static_cast<UINT_PTR>(id);
    entry.code = code;
    entry.onNotify = handler;
    return entry;
}

// WM_TIMER of the timer with this id.
template <class Owner>
constexpr MessageEntry<Owner> OnTimer(UINT_PTR id, void (Owner::*handler)()) {
    MessageEntry<Owner> entry{MessageEntry<Owner>::Kind::Timer};
    entry.id = id;
    entry.onCommand = handler;
    return entry;
}

// Offers the message to the table's entries in order; true when one of them answered it.
template <class Owner>
bool Dispatch(Owner& owner, std::span<const MessageEntry<Owner>> table, Message& message) {
    using Kind = typename MessageEntry<Owner>::Kind;
    for (const MessageEntry<Owner>& entry : table) {
        if (!entry.Matches(message)) continue;
        switch (entry.kind) {
            case Kind::Message:
                if (const Result result = (owner.*entry.onMessage)(message.wParam, message.lParam)) {
                    message.result = *result;
                    return true;
                }
                break;  // declined: the next entries may still answer
            case Kind::Command:
            case Kind::Timer:
                (owner.*entry.onCommand)();
                message.result = 0;
                return true;
            case Kind::Notify:
                message.result = (owner.*entry.onNotify)(*reinterpret_cast<NMHDR*>(message.lParam));
                return true;
        }
    }
    return false;
}

template <class Owner, std::size_t N>
bool Dispatch(Owner& owner, const MessageEntry<Owner> (&table)[N], Message& message) {
    return Dispatch(owner, std::span<const MessageEntry<Owner>>(table), message);
}

}  // namespace fw
