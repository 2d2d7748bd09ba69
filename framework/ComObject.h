#pragma once
// The IUnknown of a COM object of our own that implements one or more interfaces:
//
//     class CClientSite : public fw::ComObject<IOleClientSite, IOleInPlaceSite, IDocHostUIHandler> {
//         // the interfaces' own methods only; QueryInterface, AddRef and Release come from here
//     };
//     fw::ComPtr<IOleClientSite> site = fw::MakeComObject<CClientSite>(arguments...);
//
// QueryInterface answers IUnknown and each listed interface (by __uuidof). Interfaces the listed ones derive
// from (IOleWindow under IOleInPlaceSite, IDispatch under an event sink) are added by overriding
// FindInterface:
//
//     void* FindInterface(REFIID iid) override {
//         if (iid == IID_IOleWindow) return static_cast<IOleInPlaceSite*>(this);
//         return ComObject::FindInterface(iid);
//     }
//
// The object is created with one reference, the one MakeComObject's pointer (or ComPtr::Attach) takes, and
// deletes itself when the last reference is released; its destructor runs on the thread of that release.
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <utility>

#include "framework/ComPtr.h"

namespace fw {

template <class First, class... Others>
class ComObject : public First, public Others... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = FindInterface(iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

    // The interface pointer for iid, or nullptr; no reference is added.
    virtual void* FindInterface(REFIID iid) {
        if (iid == IID_IUnknown) return static_cast<IUnknown*>(static_cast<First*>(this));
        void* found = Match<First>(iid);
        ((found = found ? found : Match<Others>(iid)), ...);
        return found;
    }

private:
    template <class Interface>
    void* Match(REFIID iid) {
        return iid == __uuidof(Interface) ? static_cast<Interface*>(this) : nullptr;
    }

    std::atomic<ULONG> references_{1};
};

// A new object of ours held by a pointer that owns its first reference.
template <class Object, class... Arguments>
ComPtr<Object> MakeComObject(Arguments&&... arguments) {
    ComPtr<Object> object;
    object.Attach(new Object(std::forward<Arguments>(arguments)...));
    return object;
}

}  // namespace fw
