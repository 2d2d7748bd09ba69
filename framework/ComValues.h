#pragma once
// Owners of the two values that COM calls hand back and forth: a BSTR and a VARIANT, each freed with its
// owner (SysFreeString, VariantClear).
//
//     fw::Bstr url(L"about:blank");               browser->Navigate(url.Get(), ...);
//     fw::Bstr title;                             document->get_title(title.Put());   title.View()
//     *out = fw::Bstr(L"text").Detach();          an [out] BSTR the caller frees
//
//     fw::Variant argument(L"addUnit");           a VT_BSTR; also from an int (VT_I4), a bool (VT_BOOL) or
//     fw::Variant result;                         an IDispatch* (VT_DISPATCH, its own reference)
//     script->Invoke(..., result.Put(), ...);     result.AsString() converts what it holds to text
#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace fw {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text)
        : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(Bstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        Attach(other.Detach());
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(bstr_); }

    BSTR Get() const { return bstr_; }
    // Length in characters; embedded NULs count. A null BSTR is the empty text.
    UINT Length() const { return SysStringLen(bstr_); }
    std::wstring_view View() const { return bstr_ ? std::wstring_view(bstr_, Length()) : std::wstring_view(); }

    // For a function that hands out a new BSTR: frees the current one first.
    BSTR* Put() {
        Attach(nullptr);
        return &bstr_;
    }
    // Takes over a BSTR the caller would otherwise free.
    void Attach(BSTR bstr) {
        SysFreeString(bstr_);
        bstr_ = bstr;
    }
    // Hands the BSTR on to the caller, who frees it.
    BSTR Detach() { return std::exchange(bstr_, nullptr); }

private:
    BSTR bstr_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    explicit Variant(std::wstring_view text) : Variant() {
        value_.vt = VT_BSTR;
        value_.bstrVal = Bstr(text).Detach();
    }
    explicit Variant(const wchar_t* text) : Variant(std::wstring_view(text ? text : L"")) {}
    explicit Variant(int number) : Variant() {
        value_.vt = VT_I4;
        value_.lVal = number;
    }
    explicit Variant(bool flag) : Variant() {
        value_.vt = VT_BOOL;
        value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    }
    explicit Variant(IDispatch* object) : Variant() {
        value_.vt = VT_DISPATCH;
        value_.pdispVal = object;
        if (object) object->AddRef();
    }
    Variant(Variant&& other) noexcept : Variant() { std::swap(value_, other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        VariantClear(&value_);
        value_ = std::exchange(other.value_, VARIANT{});
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    const VARIANT& Get() const { return value_; }
    VARTYPE Type() const { return value_.vt; }

    // For a function that fills a VARIANT: clears the current value first.
    VARIANT* Put() {
        VariantClear(&value_);
        return &value_;
    }
    // Fills an [out] VARIANT with a copy of its own.
    HRESULT CopyTo(VARIANT* out) const {
        if (!out) return E_POINTER;
        VariantInit(out);
        return VariantCopy(out, const_cast<VARIANT*>(&value_));  // read only; the declaration lacks const
    }
    // Hands the value on to the caller, who clears it; this one is empty afterwards.
    VARIANT Detach() {
        VARIANT value = value_;
        VariantInit(&value_);
        return value;
    }

    // The value as text, as the platform converts it; nothing when it cannot be converted.
    std::optional<std::wstring> AsString() const {
        Variant text;
        if (FAILED(VariantChangeType(text.Put(), const_cast<VARIANT*>(&value_), 0, VT_BSTR))) return std::nullopt;
        return std::wstring(text.value_.bstrVal ? text.value_.bstrVal : L"", SysStringLen(text.value_.bstrVal));
    }

private:
    VARIANT value_;
};

}  // namespace fw
