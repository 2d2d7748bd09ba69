#pragma once
// A counted reference to a COM interface. Other interfaces of the object are reached with As, through
// QueryInterface, never by a cast.
//
//     fw::ComPtr<IWebBrowser2> browser;
//     object.As<IWebBrowser2>();                  // a second interface of the same object, or empty
//     CoCreateInstance(..., IID_PPV_ARGS(browser.Put()));    // a function that hands out a new reference
//     site.Attach(new CClientSite(...));          // takes over a reference without adding one
//     return site.CopyTo(out);                    // an [out] parameter: the caller gets a reference of its own
//     IUnknown* raw = site.Detach();              // hands this pointer's reference on
#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <type_traits>
#include <utility>

namespace fw {

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own to pointer.
    explicit ComPtr(Interface* pointer) : pointer_(pointer) { AddRef(); }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) { AddRef(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    // A pointer to one of the object's base interfaces (an object of ours to one of its interfaces).
    template <class Other>
        requires(!std::is_same_v<Other, Interface> && std::is_convertible_v<Other*, Interface*>)
    ComPtr(ComPtr<Other> other) : pointer_(other.Detach()) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    void Reset() {
        if (Interface* old = std::exchange(pointer_, nullptr)) old->Release();
    }

    // For a function that hands out a new reference: lets go of the current one first.
    Interface** Put() {
        Reset();
        return &pointer_;
    }

    // Takes over a reference the caller holds (a new object's first one, say): no AddRef.
    void Attach(Interface* pointer) {
        Reset();
        pointer_ = pointer;
    }

    // Hands the reference on to the caller, who releases it; the pointer is empty afterwards.
    Interface* Detach() { return std::exchange(pointer_, nullptr); }

    // Fills an [out] parameter with a reference of its own (nullptr when empty); E_POINTER without a place.
    HRESULT CopyTo(Interface** out) const {
        if (!out) return E_POINTER;
        *out = pointer_;
        if (pointer_) pointer_->AddRef();
        return S_OK;
    }

    // Fills an [out] parameter with the object's interface iid (QueryInterface); E_NOINTERFACE when empty.
    HRESULT CopyTo(REFIID iid, void** out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        return pointer_ ? pointer_->QueryInterface(iid, out) : E_NOINTERFACE;
    }

    // The object's interface Other, or an empty pointer when it has none.
    template <class Other>
    ComPtr<Other> As() const {
        ComPtr<Other> other;
        if (pointer_) pointer_->QueryInterface(__uuidof(Other), reinterpret_cast<void**>(other.Put()));
        return other;
    }

private:
    void AddRef() {
        if (pointer_) pointer_->AddRef();
    }

    Interface* pointer_ = nullptr;
};

}  // namespace fw
