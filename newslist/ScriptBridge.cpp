#include "newslist/ScriptBridge.h"

#include "framework/ComObject.h"
#include "framework/ComValues.h"

#include <new>
#include <utility>
#include <vector>

namespace {

// The call's arguments as variants, cleared (their strings freed) at the end of the call.
class VariantArguments {
public:
    explicit VariantArguments(std::span<const ScriptArgument> arguments) : variants_(arguments.size()) {
        // The dispatch interface takes them in reverse order: the last parameter first.
        for (std::size_t i = 0; i < arguments.size(); ++i) Set(variants_[arguments.size() - 1 - i], arguments[i]);
    }
    ~VariantArguments() {
        for (VARIANT& v : variants_) VariantClear(&v);
    }
    VariantArguments(const VariantArguments&) = delete;
    VariantArguments& operator=(const VariantArguments&) = delete;

    DISPPARAMS Parameters() {
        return {variants_.empty() ? nullptr : variants_.data(), nullptr, static_cast<UINT>(variants_.size()), 0};
    }

private:
    static void Set(VARIANT& v, const ScriptArgument& argument) {
        VariantInit(&v);
        if (const auto* text = std::get_if<std::wstring>(&argument)) {
            BSTR string = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
            if (!string) throw std::bad_alloc();
            v.vt = VT_BSTR;
            v.bstrVal = string;
        } else if (const auto* flag = std::get_if<bool>(&argument)) {
            v.vt = VT_BOOL;
            v.boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            v.vt = VT_I4;
            v.lVal = std::get<std::int32_t>(argument);
        }
    }

    std::vector<VARIANT> variants_;
};

constexpr DISPID kShowInfo = 1;

class CShowInfoExternal : public fw::ComObject<IDispatch> {
public:
    explicit CShowInfoExternal(ShowInfoHandler onShowInfo) : onShowInfo_(std::move(onShowInfo)) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        // Dispatch names are matched without regard to case; the method takes no named arguments.
        if (count != 1 || !names[0] || lstrcmpiW(names[0], L"ShowInfo") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = kShowInfo;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (id != kShowInfo) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (!parameters || parameters->cArgs != 1 || !parameters->rgvarg) return DISP_E_BADPARAMCOUNT;
        if (parameters->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        fw::Variant argument;
        if (FAILED(VariantCopyInd(argument.Put(), &parameters->rgvarg[0]))) return DISP_E_TYPEMISMATCH;
        const std::optional<std::wstring> link = argument.AsString();
        if (!link) return DISP_E_TYPEMISMATCH;
        if (result) VariantInit(result);
        if (onShowInfo_) onShowInfo_(*link);
        return S_OK;
    }

private:
    ShowInfoHandler onShowInfo_;
};

}  // namespace

fw::ComPtr<IDispatch> MakeShowInfoExternal(ShowInfoHandler onShowInfo) {
    return fw::MakeComObject<CShowInfoExternal>(std::move(onShowInfo));
}

HRESULT CallScriptFunction(IDispatch* script, const wchar_t* name, std::span<const ScriptArgument> arguments) {
    if (!script) return S_FALSE;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT lookup = script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
    if (FAILED(lookup)) return lookup;
    VariantArguments variants(arguments);
    DISPPARAMS parameters = variants.Parameters();
    return script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
}
