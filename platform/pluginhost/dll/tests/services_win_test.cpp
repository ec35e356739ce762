// pluginhost.dll under Wine: its export, the services QueryService answers, dockable view
// windows, recorded messages.
#include <windows.h>

#include <servprov.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "KFGenericPlugin.h"

namespace {

const GUID SID_View = {
    0x2347a5f2, 0x0bdf, 0x4410, {0x98, 0x08, 0x42, 0x4b, 0x26, 0xd0, 0xca, 0xf7}};
const GUID SID_Shell = {
    0x3ce79670, 0xb5f1, 0x41cf, {0x8f, 0xdf, 0xb2, 0x56, 0xc2, 0x01, 0xe1, 0x21}};
const GUID SID_Workspace = {
    0x3392d3b9, 0x55db, 0x464d, {0xa8, 0xae, 0xcc, 0xab, 0xcd, 0xb2, 0x23, 0x4d}};
const GUID SRVCID = {0x45acfb1e, 0x174f, 0x4fb7, {0x8b, 0xf4, 0xc5, 0x85, 0xbe, 0xba, 0x5b, 0x33}};

using GetProvider = HRESULT(__stdcall*)(IUnknown**);
using SetPlugin = HRESULT(__stdcall*)(IUnknown*);

class PluginHostDll : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetEnvironmentVariableW(L"KF_HOST_TRANSCRIPT", L"pluginhost-test.transcript");
        module = LoadLibraryW(L"pluginhost.dll");
    }
    void SetUp() override {
        ASSERT_TRUE(module);
        auto get = reinterpret_cast<GetProvider>(
            reinterpret_cast<void*>(GetProcAddress(module, "IKFPGetServiceProvider")));
        ASSERT_TRUE(get);
        IUnknown* unknown = nullptr;
        ASSERT_EQ(get(&unknown), S_OK);
        ASSERT_EQ(unknown->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&sp)),
                  S_OK);
        unknown->Release();
    }
    void TearDown() override {
        if (sp)
            sp->Release();
    }
    template <class T> T* Service(REFGUID sid, REFIID iid) {
        T* p = nullptr;
        EXPECT_EQ(sp->QueryService(sid, iid, reinterpret_cast<void**>(&p)), S_OK);
        return p;
    }
    static HMODULE module;
    IServiceProvider* sp = nullptr;
};
HMODULE PluginHostDll::module = nullptr;

TEST_F(PluginHostDll, AnswersEachServiceByItsId) {
    auto* view = Service<IKFPViewService>(SID_View, IID_IKFPViewService);
    auto* shell = Service<IKFPShellService>(SID_Shell, IID_IKFPShellService);
    auto* box = Service<IKFPMessageBox>(SID_Shell, IID_IKFPMessageBox);
    auto* ws = Service<IKFPWorkspaceService>(SID_Workspace, IID_IKFPWorkspaceService);
    ASSERT_TRUE(view && shell && box && ws);
    void* p = nullptr;
    EXPECT_EQ(sp->QueryService(SID_View, IID_IKFPShellService, &p), E_NOINTERFACE);
    EXPECT_EQ(sp->QueryService(IID_IUnknown, IID_IUnknown, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    // The plug-in service, once the host has created it.
    EXPECT_EQ(sp->QueryService(SRVCID, IID_IUnknown, &p), E_NOINTERFACE);
    auto set = reinterpret_cast<SetPlugin>(
        reinterpret_cast<void*>(GetProcAddress(module, "KFHostSetPluginService")));
    ASSERT_TRUE(set);
    set(view); // any object stands in here
    IUnknown* got = nullptr;
    EXPECT_EQ(sp->QueryService(SRVCID, IID_IUnknown, reinterpret_cast<void**>(&got)), S_OK);
    EXPECT_TRUE(got);
    set(nullptr);
    for (IUnknown* u : {static_cast<IUnknown*>(view), static_cast<IUnknown*>(shell),
                        static_cast<IUnknown*>(box), static_cast<IUnknown*>(ws), got})
        if (u)
            u->Release();
}

TEST_F(PluginHostDll, DockableViewsAndMessages) {
    auto* view = Service<IKFPViewService>(SID_View, IID_IKFPViewService);
    ASSERT_TRUE(view);
    HWND w = reinterpret_cast<HWND>(1);
    EXPECT_EQ(view->GetViewWindow(2101, &w), S_FALSE);
    EXPECT_EQ(w, nullptr);
    ASSERT_EQ(view->ToggleView(2100), S_OK);
    ASSERT_EQ(view->GetViewWindow(2100, &w), S_OK);
    ASSERT_TRUE(w);
    EXPECT_TRUE(IsWindowVisible(w));
    view->ToggleView(2100);
    HWND again = nullptr;
    view->GetViewWindow(2100, &again);
    EXPECT_EQ(again, w);
    EXPECT_FALSE(IsWindowVisible(w));

    auto* box = Service<IKFPMessageBox>(SID_Shell, IID_IKFPMessageBox);
    ASSERT_TRUE(box);
    BSTR text = SysAllocString(L"The linked Object Oriented Model file is not found.");
    LONG result = 0;
    EXPECT_EQ(box->ShowMessage(text, MB_ICONEXCLAMATION, &result), S_OK);
    EXPECT_EQ(result, IDOK);
    SysFreeString(text);
    box->Release();
    view->Release();

    std::ifstream in("pluginhost-test.transcript");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(all.find("host: ToggleView 2100 -> visible"), std::string::npos) << all;
    EXPECT_NE(all.find("message: \"The linked Object Oriented Model file is not found.\" "
                       "style=48 -> 1"),
              std::string::npos)
        << all;
}

} // namespace
