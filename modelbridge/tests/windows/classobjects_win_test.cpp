// The 21 classes through the real COM runtime: creation by class id and ProgID, the
// interfaces each class answers, creation failures, aggregation and the module's
// unload test.
#include <gtest/gtest.h>

#include <windows.h>

#include <docobj.h>
#include <ocidl.h>
#include <ole2.h>

#include <vector>

#include "kf/model/classtable.h"
#include "modelbridge.h"
#include "winsupport.h"

namespace kf::model::wintest {
namespace {

struct Expected {
    std::u16string_view name;
    std::vector<const IID*> answers; // besides IUnknown and IDispatch
};

#define KF_CONTROL_IIDS                                                                            \
    &IID_IKFPView, &IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleWindow,                       \
        &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IViewObject, &IID_IViewObject2,       \
        &IID_IPersist, &IID_IPersistStreamInit, &IID_IOleCommandTarget

const std::vector<Expected>& ExpectedInterfaces() {
    static const std::vector<Expected> table = {
        {u"KFPDRService",
         {&IID_IKFPDRService, &IID_IKFPPluginLifecycle, &IID_IKFPPluginSite,
          &IID_IKFPPluginCommands}},
        {u"KFPShellCallBack", {&IID__IShellCallBack}},
        {u"KFPShellStatusBar", {&IID__IShellStatusBar}},
        {u"KFPOOMFactory", {&IID_IKFPViewFactory}},
        {u"KFPOOMEditor", {KF_CONTROL_IIDS, &IID_IKFPDocument, &IID_IKFPDocumentEvents}},
        {u"KFPModelFactory", {&IID_IKFPViewFactory}},
        {u"KFPModelView", {KF_CONTROL_IIDS}},
        {u"KFPResultListFactory", {&IID_IKFPViewFactory}},
        {u"KFPResultListView", {KF_CONTROL_IIDS}},
        {u"KFPOutputFactory", {&IID_IKFPViewFactory}},
        {u"KFPOutputView", {KF_CONTROL_IIDS}},
        {u"KFPWorkspaceEventSink", {&IID_IDRWorkspaceEventSink}},
        {u"KFPPDMFactory", {&IID_IKFPViewFactory}},
        {u"KFPPDMEditor", {KF_CONTROL_IIDS, &IID_IKFPDocument, &IID_IKFPDocumentEvents}},
        {u"KFPShellProgressBar", {&IID__IShellProgressBar}},
        {u"KFPLayoutManager", {&IID_IDRLayoutManager}},
        {u"KFPAddInMenuProvider", {&IID_IDRAddInMenuProvider}},
        {u"KFPModelCodeSyncManager", {&IID_IDRModelCodeSyncManager}},
        {u"KFPObjectEventHandler", {&IID_IDRObjectEventHandler}},
        {u"KFPAttributeEventSink", {&IID_IDRAttributeEventSink}},
        {u"KFPCollectionEventSink", {&IID_IDRCollectionEventSink}},
    };
    return table;
}

// Every interface any class answers: what a class does not list must be refused.
std::vector<const IID*> AllInterfaces() {
    std::vector<const IID*> all;
    for (const Expected& e : ExpectedInterfaces())
        for (const IID* iid : e.answers) {
            bool seen = false;
            for (const IID* a : all)
                seen = seen || *a == *iid;
            if (!seen)
                all.push_back(iid);
        }
    all.push_back(&IID__IShellOutput); // in the type library, implemented by no class
    return all;
}

CLSID ClassId(const ClassEntry& entry) {
    CLSID clsid{};
    std::u16string text = ClassIdText(entry);
    EXPECT_EQ(CLSIDFromString(reinterpret_cast<LPCOLESTR>(text.c_str()), &clsid), S_OK);
    return clsid;
}

std::string Name(const ClassEntry& entry) {
    return testing::ToUtf8(entry.name);
}

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

// The server as COM loads it: the same file, so the same module in this process.
HMODULE Server() {
    static HMODULE module = LoadLibraryW(ServerPath().c_str());
    return module;
}

HRESULT CanUnloadNow() {
    auto fn = reinterpret_cast<CanUnloadNowFn>(
        reinterpret_cast<void*>(GetProcAddress(Server(), "DllCanUnloadNow")));
    return fn ? fn() : E_FAIL;
}

IClassFactory* Factory(const CLSID& clsid) {
    auto fn = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(Server(), "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    EXPECT_EQ(fn(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    return factory;
}

TEST(ClassObjectsTest, TableMatchesTheTypeLibraryIdentifiers) {
    ASSERT_EQ(ExpectedInterfaces().size(), kClassTable.size());
    EXPECT_EQ(ClassId(kClassTable[0]), CLSID_KFPDRService);
    EXPECT_EQ(ClassId(kClassTable[19]), CLSID_KFPAttributeEventSink);
    EXPECT_EQ(ClassId(kClassTable[18]), CLSID_KFPObjectEventHandler);
}

TEST(ClassObjectsTest, EveryClassIsCreatableByClassIdAndProgId) {
    for (const ClassEntry& entry : kClassTable) {
        const CLSID clsid = ClassId(entry);
        for (const std::u16string& progId : {ProgId(entry), VersionedProgId(entry)}) {
            CLSID found{};
            EXPECT_EQ(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progId.c_str()), &found), S_OK)
                << testing::ToUtf8(progId);
            EXPECT_EQ(found, clsid) << testing::ToUtf8(progId);
        }
        IUnknown* object = nullptr;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&object)),
                  S_OK)
            << Name(entry);
        object->Release();
    }
}

TEST(ClassObjectsTest, EachClassAnswersItsInterfacesAndNoOthers) {
    const auto all = AllInterfaces();
    for (size_t i = 0; i < kClassTable.size(); ++i) {
        const Expected& expected = ExpectedInterfaces()[i];
        ASSERT_EQ(expected.name, kClassTable[i].name);
        IUnknown* object = nullptr;
        ASSERT_EQ(CoCreateInstance(ClassId(kClassTable[i]), nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IUnknown, reinterpret_cast<void**>(&object)),
                  S_OK);
        std::vector<const IID*> answers = expected.answers;
        answers.push_back(&IID_IDispatch);
        for (const IID* iid : all) {
            bool listed = false;
            for (const IID* a : answers)
                listed = listed || *a == *iid;
            void* p = reinterpret_cast<void*>(1);
            HRESULT hr = object->QueryInterface(*iid, &p);
            if (listed) {
                EXPECT_EQ(hr, S_OK) << Name(kClassTable[i]);
                // COM identity: every interface leads back to the same IUnknown.
                IUnknown* identity = nullptr;
                static_cast<IUnknown*>(p)->QueryInterface(IID_IUnknown,
                                                          reinterpret_cast<void**>(&identity));
                EXPECT_EQ(identity, object) << Name(kClassTable[i]);
                identity->Release();
                static_cast<IUnknown*>(p)->Release();
            } else {
                EXPECT_EQ(hr, E_NOINTERFACE) << Name(kClassTable[i]);
                EXPECT_EQ(p, nullptr);
            }
        }
        object->Release();
    }
}

TEST(ClassObjectsTest, CreationFailures) {
    const CLSID unknown = {
        0x7C3E0115, 0xBB5E, 0x4D2B, {0xAD, 0xC1, 0x6D, 0x35, 0x3A, 0xE4, 0xF1, 0x7D}};
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(Server(), "DllGetClassObject")));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(unknown, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(getClassObject(CLSID_KFPDRService, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &p),
              REGDB_E_CLASSNOTREG);

    IClassFactory* factory = Factory(CLSID_KFPShellCallBack);
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleObject, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    factory->Release();
    // The object whose query failed was destroyed again: nothing keeps the module.
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ClassObjectsTest, CanUnloadNowCountsObjectsLocksAndHeldFactories) {
    ASSERT_EQ(CanUnloadNow(), S_OK);
    IClassFactory* factory = Factory(CLSID_KFPAttributeEventSink);
    ASSERT_TRUE(factory);
    EXPECT_EQ(CanUnloadNow(), S_FALSE); // a held factory keeps the module
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDRAttributeEventSink,
                                      reinterpret_cast<void**>(&first)),
              S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&second)),
              S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    first->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    second->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE); // the server lock
    factory = Factory(CLSID_KFPAttributeEventSink);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);

    // Objects made through the COM runtime count the same way.
    IUnknown* service = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_KFPDRService, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&service)),
              S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    service->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// A controlling object that aggregates one of ours and exposes its interfaces.
class Outer final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    IUnknown* inner = nullptr;
    ULONG refs = 1;
};

TEST(ClassObjectsTest, EveryClassCanBeAggregated) {
    for (size_t i = 0; i < kClassTable.size(); ++i) {
        const ClassEntry& entry = kClassTable[i];
        Outer outer;
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(ClassId(entry), &outer, CLSCTX_INPROC_SERVER, IID_IDispatch, &p),
                  CLASS_E_NOAGGREGATION)
            << Name(entry);
        ASSERT_EQ(CoCreateInstance(ClassId(entry), &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&outer.inner)),
                  S_OK)
            << Name(entry);
        EXPECT_EQ(outer.refs, 1u) << "the inner object must not hold its outer";

        const IID& itf = *ExpectedInterfaces()[i].answers.front();
        IUnknown* exposed = nullptr;
        ASSERT_EQ(outer.QueryInterface(itf, reinterpret_cast<void**>(&exposed)), S_OK)
            << Name(entry);
        EXPECT_EQ(outer.refs, 2u) << Name(entry); // the inner's interfaces count on the outer
        IUnknown* identity = nullptr;
        ASSERT_EQ(exposed->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
        EXPECT_EQ(identity, &outer) << Name(entry);
        identity->Release();
        exposed->Release();
        EXPECT_EQ(outer.refs, 1u);
        EXPECT_EQ(outer.inner->Release(), 0u) << Name(entry);
    }
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

} // namespace
} // namespace kf::model::wintest
