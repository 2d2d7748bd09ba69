// The COM kit the browser host is built on: our own objects answer for each of their interfaces with one
// identity and free themselves at their last release; pointers, strings and variants hand references and
// memory on exactly once.
#include <gtest/gtest.h>

#include <oleidl.h>

#include "framework/ComObject.h"
#include "framework/ComPtr.h"
#include "framework/ComValues.h"

namespace {

// Two interfaces, one of which (IOleInPlaceUIWindow) derives from a third (IOleWindow).
class TwoFacedObject : public fw::ComObject<IOleInPlaceUIWindow, IDropSource> {
public:
    explicit TwoFacedObject(bool& destroyed) : destroyed_(destroyed) {}
    ~TwoFacedObject() override { destroyed_ = true; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return S_OK; }

protected:
    void* FindInterface(REFIID iid) override {
        if (iid == IID_IOleWindow) return static_cast<IOleInPlaceUIWindow*>(this);
        return ComObject::FindInterface(iid);
    }

private:
    bool& destroyed_;
};

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(ComObject, AnswersForEachInterfaceWithOneIdentityAndEndsAtTheLastRelease) {
    bool destroyed = false;
    {
        fw::ComPtr<IDropSource> dropSource = fw::MakeComObject<TwoFacedObject>(destroyed);
        ASSERT_TRUE(dropSource);
        EXPECT_EQ(References(dropSource.Get()), 1u);

        const auto window = dropSource.As<IOleInPlaceUIWindow>();
        const auto baseWindow = dropSource.As<IOleWindow>();
        ASSERT_TRUE(window);
        ASSERT_TRUE(baseWindow);
        EXPECT_EQ(static_cast<IOleWindow*>(window.Get()), baseWindow.Get());
        EXPECT_FALSE(dropSource.As<IStream>());
        EXPECT_EQ(References(dropSource.Get()), 3u);

        // COM's identity rule: every interface gives the same IUnknown.
        EXPECT_EQ(window.As<IUnknown>().Get(), dropSource.As<IUnknown>().Get());

        void* nothing = reinterpret_cast<void*>(1);
        EXPECT_EQ(dropSource->QueryInterface(IID_IStream, &nothing), E_NOINTERFACE);
        EXPECT_EQ(nothing, nullptr);
        EXPECT_EQ(dropSource->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(ComPtr, AttachDetachAndCopyToHandReferencesOnExactlyOnce) {
    bool destroyed = false;
    IDropSource* raw = new TwoFacedObject(destroyed);  // one reference, owned here
    {
        fw::ComPtr<IDropSource> owner;
        owner.Attach(raw);
        EXPECT_EQ(References(raw), 1u);

        IDropSource* copy = nullptr;
        EXPECT_EQ(owner.CopyTo(&copy), S_OK);
        EXPECT_EQ(copy, raw);
        EXPECT_EQ(References(raw), 2u);
        copy->Release();

        IOleWindow* window = nullptr;
        EXPECT_EQ(owner.CopyTo(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
        ASSERT_NE(window, nullptr);
        window->Release();
        EXPECT_EQ(owner.CopyTo(IID_IStream, reinterpret_cast<void**>(&window)), E_NOINTERFACE);
        EXPECT_EQ(window, nullptr);
        EXPECT_EQ(owner.CopyTo(nullptr), E_POINTER);

        IDropSource* handedOn = owner.Detach();
        EXPECT_FALSE(owner);
        EXPECT_EQ(References(handedOn), 1u);
        fw::ComPtr<IDropSource> empty;
        EXPECT_EQ(empty.CopyTo(&copy), S_OK);
        EXPECT_EQ(copy, nullptr);
        owner.Attach(handedOn);
    }
    EXPECT_TRUE(destroyed);
}

TEST(Bstr, KeepsEveryCharacterAndHandsItselfOnOnce) {
    const std::wstring_view withNul(L"a\0b", 3);
    fw::Bstr text(withNul);
    EXPECT_EQ(text.Length(), 3u);
    EXPECT_EQ(text.View(), withNul);

    fw::Bstr moved = std::move(text);
    EXPECT_EQ(text.Get(), nullptr);
    EXPECT_EQ(text.View(), L"");
    BSTR raw = moved.Detach();
    EXPECT_EQ(moved.Get(), nullptr);
    fw::Bstr owner;
    owner.Attach(raw);
    EXPECT_EQ(owner.View(), withNul);

    // Put empties the owner for a function that fills it.
    *owner.Put() = SysAllocString(L"filled");
    EXPECT_EQ(owner.View(), L"filled");
}

TEST(Variant, HoldsItsOwnReferenceAndConvertsToText) {
    bool destroyed = false;
    fw::ComPtr<IDropSource> object = fw::MakeComObject<TwoFacedObject>(destroyed);
    // A VT_DISPATCH needs an IDispatch; a VT_UNKNOWN is filled by hand to watch the reference.
    {
        fw::Variant held;
        VARIANT* slot = held.Put();
        slot->vt = VT_UNKNOWN;
        object.CopyTo(IID_IUnknown, reinterpret_cast<void**>(&slot->punkVal));
        EXPECT_EQ(References(object.Get()), 2u);

        VARIANT copy;
        EXPECT_EQ(held.CopyTo(&copy), S_OK);
        EXPECT_EQ(References(object.Get()), 3u);
        VariantClear(&copy);

        fw::Variant moved = std::move(held);
        EXPECT_EQ(held.Type(), VT_EMPTY);
        EXPECT_EQ(References(object.Get()), 2u);
    }
    EXPECT_EQ(References(object.Get()), 1u);

    struct Case {
        const char* name;
        fw::Variant value;
        std::optional<std::wstring> text;
    };
    Case cases[] = {
        {"text", fw::Variant(L"addUnit"), L"addUnit"},
        {"number", fw::Variant(42), L"42"},
        {"empty", fw::Variant(), L""},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.value.AsString(), c.text);
    }
    EXPECT_EQ(fw::Variant(L"addUnit").Type(), VT_BSTR);
    EXPECT_EQ(fw::Variant(true).Type(), VT_BOOL);
    EXPECT_EQ(fw::Variant(static_cast<IDispatch*>(nullptr)).Type(), VT_DISPATCH);
}

}  // namespace
