// What the scoped helpers take they give back: COM references, objects selected into a context, OLE.
#include <gtest/gtest.h>

#include "framework/ComPtr.h"
#include "framework/DeviceContext.h"
#include "framework/Sessions.h"

namespace {

// A COM object that counts its references and answers for IUnknown and IDispatch only.
class CountedObject : public IDispatch {
public:
    ULONG references = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

TEST(ComPtr, HoldsExactlyOneReferencePerPointer) {
    CountedObject object;
    {
        fw::ComPtr<IUnknown> first(&object);
        EXPECT_EQ(object.references, 1u);
        fw::ComPtr<IUnknown> copy = first;
        EXPECT_EQ(object.references, 2u);
        fw::ComPtr<IUnknown> moved = std::move(copy);
        EXPECT_EQ(object.references, 2u);
        EXPECT_FALSE(copy);

        fw::ComPtr<IDispatch> dispatch = first.As<IDispatch>();
        EXPECT_EQ(dispatch.Get(), static_cast<IDispatch*>(&object));
        EXPECT_EQ(object.references, 3u);
        EXPECT_FALSE(first.As<IStream>());
        EXPECT_EQ(object.references, 3u);

        // Put lets go of the old reference before taking a new one.
        object.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(moved.Put()));
        EXPECT_EQ(object.references, 3u);
        moved = first;
        EXPECT_EQ(object.references, 3u);
        dispatch.Reset();
        EXPECT_EQ(object.references, 2u);
    }
    EXPECT_EQ(object.references, 0u);
}

TEST(SelectedObject, PutsBackWhatItReplaced) {
    fw::MemoryDC dc(nullptr);
    const HGDIOBJ original = GetCurrentObject(dc, OBJ_BITMAP);
    fw::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, 4, 4));
    {
        const fw::SelectedObject selection(dc, bitmap.Get());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), original);
}

TEST(OleSession, MakesTheThreadASingleThreadedApartment) {
    const fw::OleSession ole;
    ASSERT_TRUE(ole.Started());
    const HRESULT multiThreaded = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(multiThreaded)) CoUninitialize();
    EXPECT_EQ(multiThreaded, RPC_E_CHANGED_MODE);
}

}  // namespace
