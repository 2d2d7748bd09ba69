#pragma once
// A window's message table: a constant array of entries (message, control id or notification code, handler),
// tried from the top; the first entry that matches and does not decline answers the message.
//
//     bool CMyDlg::HandleMessage(fw::Message& message) {
//         static constexpr fw::MessageEntry<CMyDlg> table[] = {
//             fw::OnCommand(1067, &CMyDlg::OnSettings),
//             fw::OnCommandRange(1039, 1042, &CMyDlg::OnTab),          // void OnTab(int id)
//             fw::OnCommand(1050, CBN_SELCHANGE, &CMyDlg::OnSound),    // void OnSound() or OnSound(int id, UINT code)
//             fw::OnNotify(1024, NM_CLICK, &CMyDlg::OnLinkClick),      // LRESULT OnLinkClick(NMHDR&)
//             fw::OnTimer(1556, &CMyDlg::OnSupervise),
//             fw::OnMessage(WM_NCHITTEST, &CMyDlg::OnNcHitTest),       // fw::Result OnNcHitTest(WPARAM, LPARAM)
//             fw::OnMessage(kTaskbarCreated, &CMyDlg::OnTaskbarCreated),
//         };
//         return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
//     }
//
// The last line chains to the base class's table; what no table answers gets the default processing.
//
// A table that names a handler declared in a base class is `static const` instead of `static constexpr`
// (GCC 12 cannot convert a base class's member pointer inside a constant expression):
//
//         static const fw::MessageEntry<CMyDlg> table[] = {
//             fw::OnMessage(WM_SIZE, &CMyDlg::OnSizeOfTheBase),
//
// Command handlers take nothing, the control id, or the id and the notification code; an entry made with
// OnCommandRange or OnNotifyRange answers every id from first to last inclusive. A message whose number is
// known only at run time is named by a RegisteredMessage object (registered on first use):
//
//     const fw::RegisteredMessage kTaskbarCreated(L"TaskbarCreated");   // at namespace scope of the .cpp
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <span>
#include <type_traits>

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

// A window message whose number the system hands out by name at run time (RegisterWindowMessageW), such as
// the "TaskbarCreated" broadcast. Constant-initialised, so it can be a namespace-scope object of any file.
class RegisteredMessage {
public:
    constexpr explicit RegisteredMessage(const wchar_t* name) : name_(name) {}
    RegisteredMessage(const RegisteredMessage&) = delete;
    RegisteredMessage& operator=(const RegisteredMessage&) = delete;

    // The message's number, 0 when the system refused to register the name.
    UINT Id() const {
        if (!id_) id_ = RegisterWindowMessageW(name_);
        return id_;
    }

private:
    const wchar_t* name_;
    mutable UINT id_ = 0;
};

template <class Owner>
struct MessageEntry {
    enum class Kind { Message, Command, Notify, Timer };
    static constexpr UINT kPlainCommand = 0xFFFFFFFF;  // above every 16-bit notification code

    Kind kind = Kind::Message;
    UINT message = 0;                             // Kind::Message
    const RegisteredMessage* registered = nullptr;  // Kind::Message, number known at run time
    UINT_PTR id = 0;                              // control id or timer id; first of a range
    UINT_PTR lastId = 0;                          // last id of a range, id for a single control
    UINT code = 0;                                // notification code, or kPlainCommand
    Result (Owner::*onMessage)(WPARAM, LPARAM) = nullptr;
    void (Owner::*onCommand)() = nullptr;  // commands and timers
    void (Owner::*onCommandId)(int id) = nullptr;
    void (Owner::*onCommandIdCode)(int id, UINT code) = nullptr;
    LRESULT (Owner::*onNotify)(NMHDR&) = nullptr;

    constexpr MessageEntry() = default;
    constexpr explicit MessageEntry(Kind k) : kind(k) {}

    // An entry made for a base class's handler serves in a derived class's table (a `static const` table).
    template <class Base>
        requires(!std::is_same_v<Base, Owner> && std::is_base_of_v<Base, Owner>)
    constexpr MessageEntry(const MessageEntry<Base>& base)
        : kind(static_cast<Kind>(base.kind)), message(base.message), registered(base.registered), id(base.id),
          lastId(base.lastId), code(base.code), onMessage(base.onMessage), onCommand(base.onCommand),
          onCommandId(base.onCommandId), onCommandIdCode(base.onCommandIdCode), onNotify(base.onNotify) {}

    bool InRange(UINT_PTR value) const { return value >= id && value <= lastId; }

    bool Matches(const Message& m) const {
        switch (kind) {
            case Kind::Message:
                if (registered) return registered->Id() != 0 && m.id == registered->Id();
                return m.id == message;
            case Kind::Command:
                return m.id == WM_COMMAND && InRange(LOWORD(m.wParam)) &&
                       (code == kPlainCommand ? IsPlainCommand(m.wParam, m.lParam) : HIWORD(m.wParam) == code);
            case Kind::Notify: {
                if (m.id != WM_NOTIFY) return false;
                const auto& header = *reinterpret_cast<const NMHDR*>(m.lParam);
                return InRange(header.idFrom) && header.code == code;
            }
            case Kind::Timer: return m.id == WM_TIMER && m.wParam == id;
        }
        return false;
    }
};

// Any message by its number.
template <class Owner>
constexpr MessageEntry<Owner> OnMessage(UINT message, Result (Owner::*handler)(WPARAM, LPARAM)) {
    MessageEntry<Owner> entry(MessageEntry<Owner>::Kind::Message);
    entry.message = message;
    entry.onMessage = handler;
    return entry;
}

// A message registered by name at run time. The object must outlive the table (a namespace-scope object).
template <class Owner>
constexpr MessageEntry<Owner> OnMessage(const RegisteredMessage& message, Result (Owner::*handler)(WPARAM, LPARAM)) {
    MessageEntry<Owner> entry(MessageEntry<Owner>::Kind::Message);
    entry.registered = &message;
    entry.onMessage = handler;
    return entry;
}

namespace detail {
template <class Owner>
constexpr MessageEntry<Owner> CommandEntry(int first, int last, UINT code) {
    MessageEntry<Owner> entry(MessageEntry<Owner>::Kind::Command);
    entry.id = static_cast<UINT_PTR>(first);
    entry.lastId = static_cast<UINT_PTR>(last);
    entry.code = code;
    return entry;
}
template <class Owner>
constexpr void SetCommandHandler(MessageEntry<Owner>& entry, void (Owner::*handler)()) {
    entry.onCommand = handler;
}
template <class Owner>
constexpr void SetCommandHandler(MessageEntry<Owner>& entry, void (Owner::*handler)(int)) {
    entry.onCommandId = handler;
}
template <class Owner>
constexpr void SetCommandHandler(MessageEntry<Owner>& entry, void (Owner::*handler)(int, UINT)) {
    entry.onCommandIdCode = handler;
}
}  // namespace detail

// WM_COMMAND from a menu item, an accelerator or a click of the control with this id. The handler is
// void(), void(int id) or void(int id, UINT code).
template <class Owner, class Handler>
constexpr MessageEntry<Owner> OnCommand(int id, Handler Owner::*handler) {
    auto entry = detail::CommandEntry<Owner>(id, id, MessageEntry<Owner>::kPlainCommand);
    detail::SetCommandHandler(entry, handler);
    return entry;
}

// WM_COMMAND with one notification code from the control with this id (CBN_SELCHANGE, BN_DOUBLECLICKED, ...).
template <class Owner, class Handler>
constexpr MessageEntry<Owner> OnCommand(int id, UINT code, Handler Owner::*handler) {
    auto entry = detail::CommandEntry<Owner>(id, id, code);
    detail::SetCommandHandler(entry, handler);
    return entry;
}

// OnCommand for every id from first to last inclusive; the handler usually takes the id.
template <class Owner, class Handler>
constexpr MessageEntry<Owner> OnCommandRange(int first, int last, Handler Owner::*handler) {
    auto entry = detail::CommandEntry<Owner>(first, last, MessageEntry<Owner>::kPlainCommand);
    detail::SetCommandHandler(entry, handler);
    return entry;
}

template <class Owner, class Handler>
constexpr MessageEntry<Owner> OnCommandRange(int first, int last, UINT code, Handler Owner::*handler) {
    auto entry = detail::CommandEntry<Owner>(first, last, code);
    detail::SetCommandHandler(entry, handler);
    return entry;
}

// WM_NOTIFY with one notification code from the controls with ids first to last; the handler's value is the
// result, and the header names the control (idFrom) and the code.
template <class Owner>
constexpr MessageEntry<Owner> OnNotifyRange(int first, int last, UINT code, LRESULT (Owner::*handler)(NMHDR&)) {
    MessageEntry<Owner> entry(MessageEntry<Owner>::Kind::Notify);
    entry.id = static_cast<UINT_PTR>(first);
    entry.lastId = static_cast<UINT_PTR>(last);
    entry.code = code;
    entry.onNotify = handler;
    return entry;
}

// WM_NOTIFY with one notification code from the control with this id.
template <class Owner>
constexpr MessageEntry<Owner> OnNotify(int id, UINT code, LRESULT (Owner::*handler)(NMHDR&)) {
    return OnNotifyRange(id, id, code, handler);
}

// WM_TIMER of the timer with this id.
template <class Owner>
constexpr MessageEntry<Owner> OnTimer(UINT_PTR id, void (Owner::*handler)()) {
    MessageEntry<Owner> entry(MessageEntry<Owner>::Kind::Timer);
    entry.id = entry.lastId = id;
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
            case Kind::Timer: {
                const int id = LOWORD(message.wParam);
                if (entry.onCommandIdCode)
                    (owner.*entry.onCommandIdCode)(id, HIWORD(message.wParam));
                else if (entry.onCommandId)
                    (owner.*entry.onCommandId)(id);
                else
                    (owner.*entry.onCommand)();
                message.result = 0;
                return true;
            }
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
