#pragma once
// The bridge between the list and its page, both ways: calling a global function of the page's script
// by name through the script object's dispatch interface, and the external object the page calls.
#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <variant>

#include "framework/ComPtr.h"

// A positional argument of a script call: a string, a boolean or an integer.
using ScriptArgument = std::variant<std::wstring, bool, std::int32_t>;

// Looks the name up on script (system default locale) and calls it as a method (user default locale)
// with the arguments in the page's order; the result is dropped. S_FALSE without a script object, the
// lookup's status when the name is unknown, otherwise the call's status.
HRESULT CallScriptFunction(IDispatch* script, const wchar_t* name, std::span<const ScriptArgument> arguments);

// The page's window.external: a dispatch object with the one method ShowInfo(link), which hands the
// link, as a string, to the handler.
using ShowInfoHandler = std::function<void(const std::wstring& link)>;
fw::ComPtr<IDispatch> MakeShowInfoExternal(ShowInfoHandler onShowInfo);
