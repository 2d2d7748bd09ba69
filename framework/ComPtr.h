#pragma once
// A counted reference to a COM interface. Other interfaces of the object are reached with As, through
// QueryInterface, never by a cast.
#include <windows.h>
#include <unknwn.h>

#include <cstddef>
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
