// The bridge between the list and its page, against a script object of the test's own: names looked up,
// arguments in the platform's reversed order, statuses passed on; and the page's external object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ComObject.h"
#include "framework/ComValues.h"
#include "newslist/ScriptBridge.h"

namespace {

// Knows the functions it is given and records every lookup and call.
class CTestScript : public fw::ComObject<IDispatch> {
public:
    struct Call {
        DISPID id;
        WORD flags;
        LCID locale;
        UINT namedCount;
        std::vector<std::wstring> arguments;  // as they lie in the array, each "type:value"
    };

    explicit CTestScript(std::vector<std::wstring> names, HRESULT callStatus = S_OK)
        : names_(std::move(names)), callStatus_(callStatus) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        lookups.push_back({names[0], locale, count});
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (names_[i] == names[0]) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        Call call{id, flags, locale, parameters->cNamedArgs, {}};
        for (UINT i = 0; i < parameters->cArgs; ++i) call.arguments.push_back(Describe(parameters->rgvarg[i]));
        calls.push_back(call);
        return callStatus_;
    }

    struct Lookup {
        std::wstring name;
        LCID locale;
        UINT count;
    };
    std::vector<Lookup> lookups;
    std::vector<Call> calls;

private:
    static std::wstring Describe(const VARIANT& v) {
        switch (v.vt) {
            case VT_BSTR: return L"string:" + std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
            case VT_BOOL: return v.boolVal == VARIANT_TRUE ? L"bool:true" : v.boolVal == VARIANT_FALSE ? L"bool:false" : L"bool:?";
            case VT_I4: return L"int:" + std::to_wstring(v.lVal);
            default: return L"type " + std::to_wstring(v.vt);
        }
    }

    std::vector<std::wstring> names_;
    HRESULT callStatus_;
};

const std::vector<std::wstring> kPageFunctions = {L"addUnit", L"popTop", L"popBottom", L"clearList", L"SetMaxRows",
                                                  L"ShowProgressBusy"};

TEST(ScriptBridge, CallsByNameWithTheArgumentsReversed) {
    const std::wstring awkward(L"a \"quoted\" '</a>' \\ 中文\0tail", 27);
    const struct {
        const wchar_t* name;
        std::vector<ScriptArgument> arguments;
        std::vector<std::wstring> expectedArray;  // last parameter first
    } cases[] = {
        {L"addUnit",
         {std::wstring(L"09月06日  09:05"), std::wstring(L"<b>标题</b>"), awkward},
         {L"string:" + awkward, L"string:<b>标题</b>", L"string:09月06日  09:05"}},
        {L"ShowProgressBusy", {true, std::wstring(L"file:///D:/My%20App/skin/loading.gif")},
         {L"string:file:///D:/My%20App/skin/loading.gif", L"bool:true"}},
        {L"ShowProgressBusy", {false, std::wstring()}, {L"string:", L"bool:false"}},
        {L"SetMaxRows", {std::int32_t{20}}, {L"int:20"}},
        {L"clearList", {}, {}},
    };
    for (const auto& c : cases) {
        auto script = fw::MakeComObject<CTestScript>(kPageFunctions);
        EXPECT_EQ(CallScriptFunction(script.Get(), c.name, c.arguments), S_OK) << testing::PrintToString(std::wstring(c.name));
        ASSERT_EQ(script->lookups.size(), 1u);
        EXPECT_EQ(script->lookups[0].name, c.name);
        EXPECT_EQ(script->lookups[0].count, 1u);
        EXPECT_EQ(script->lookups[0].locale, static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
        ASSERT_EQ(script->calls.size(), 1u);
        const CTestScript::Call& call = script->calls[0];
        EXPECT_EQ(call.flags, DISPATCH_METHOD);
        EXPECT_EQ(call.locale, static_cast<LCID>(LOCALE_USER_DEFAULT));
        EXPECT_EQ(call.namedCount, 0u);
        EXPECT_EQ(call.arguments, c.expectedArray) << testing::PrintToString(std::wstring(c.name));
    }
}

TEST(ScriptBridge, PassesStatusesOn) {
    // No script object: the call is not made.
    EXPECT_EQ(CallScriptFunction(nullptr, L"addUnit", {}), S_FALSE);

    // An unknown name: the lookup's failure, and nothing is called.
    auto script = fw::MakeComObject<CTestScript>(kPageFunctions);
    EXPECT_EQ(CallScriptFunction(script.Get(), L"noSuchFunction", {}), DISP_E_UNKNOWNNAME);
    EXPECT_TRUE(script->calls.empty());

    // A failure inside the script, and a success code other than S_OK, come back as they are.
    for (const HRESULT status : {DISP_E_EXCEPTION, E_FAIL, S_FALSE}) {
        auto failing = fw::MakeComObject<CTestScript>(kPageFunctions, status);
        EXPECT_EQ(CallScriptFunction(failing.Get(), L"popTop", {}), status);
    }
}

// Calls the external object the way the page's script engine does.
HRESULT CallExternal(IDispatch& external, const wchar_t* name, std::vector<fw::Variant>& reversedArguments) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    const HRESULT lookup = external.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(lookup)) return lookup;
    std::vector<VARIANT> array;
    for (const fw::Variant& v : reversedArguments) array.push_back(v.Get());
    DISPPARAMS parameters{array.empty() ? nullptr : array.data(), nullptr, static_cast<UINT>(array.size()), 0};
    fw::Variant result;
    return external.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.Put(), nullptr,
                           nullptr);
}

TEST(ShowInfoExternal, HandsTheLinkOverExactly) {
    std::vector<std::wstring> shown;
    auto external = MakeShowInfoExternal([&shown](const std::wstring& link) { shown.push_back(link); });
    const std::wstring links[] = {L"http://news.example/a?b=1&c=2", L"http://x/\"); alert(1); (\"",
                                  std::wstring(L"http://x/\0after-nul", 19), L""};
    for (const std::wstring& link : links) {
        std::vector<fw::Variant> arguments;
        arguments.emplace_back(std::wstring_view(link));
        EXPECT_EQ(CallExternal(*external.Get(), L"ShowInfo", arguments), S_OK);
    }
    EXPECT_EQ(shown, std::vector<std::wstring>(std::begin(links), std::end(links)));

    // A number from script arrives as its text; the name is matched without regard to case.
    std::vector<fw::Variant> number;
    number.emplace_back(42);
    EXPECT_EQ(CallExternal(*external.Get(), L"showinfo", number), S_OK);
    EXPECT_EQ(shown.back(), L"42");
}

TEST(ShowInfoExternal, RefusesOtherNamesAndArgumentCounts) {
    int calls = 0;
    auto external = MakeShowInfoExternal([&calls](const std::wstring&) { ++calls; });
    std::vector<fw::Variant> none;
    std::vector<fw::Variant> two;
    two.emplace_back(L"a");
    two.emplace_back(L"b");
    EXPECT_EQ(CallExternal(*external.Get(), L"OpenFile", none), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(CallExternal(*external.Get(), L"ShowInfo", none), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(CallExternal(*external.Get(), L"ShowInfo", two), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(calls, 0);
}

}  // namespace
