// The runner's host part through pluginhost.dll under Wine: a test plug-in hands menus to the
// registered menu service class, the `menu` steps print them from the DLL, a `host` line
// changes what the DLL's workspace answers, and the menus are freed at the end.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <servprov.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../windows/hostdll.h"
#include "KFGenericPlugin.h"
#include "kf/kfhost/runner.h"
#include "kf/kfhost/scenario.h"

namespace kf::kfhost {
namespace {

const GUID SID_WorkspaceService = {
    0x3392d3b9, 0x55db, 0x464d, {0xa8, 0xae, 0xcc, 0xab, 0xcd, 0xb2, 0x23, 0x4d}};
const GUID kMainMenu = {
    0x4d7e0101, 0xae48, 0x48ac, {0xae, 0xdf, 0xb8, 0x48, 0x87, 0xce, 0x5c, 0xe8}};
const GUID kLibraryMenu = {
    0x4d7e0104, 0xae48, 0x48ac, {0xae, 0xdf, 0xb8, 0x48, 0x87, 0xce, 0x5c, 0xe8}};

std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

// An owner-drawn item with its record, allocated the way the host frees it.
void AddRecordItem(HMENU menu, LONG command, const wchar_t* caption) {
    auto* r = static_cast<KFPMenuItemRecord*>(CoTaskMemAlloc(sizeof(KFPMenuItemRecord)));
    *r = {};
    r->commandId = command;
    r->caption = SysAllocString(caption);
    AppendMenuW(menu, MF_OWNERDRAW, UINT_PTR(command), reinterpret_cast<LPCWSTR>(r));
}

HRESULT HandOver(HMENU menu, REFGUID menuId) {
    IKFPMenuRegistration* reg = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_KFPMenuService, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IKFPMenuRegistration, reinterpret_cast<void**>(&reg));
    if (FAILED(hr))
        return hr;
    IKFPMenuSet* set = nullptr;
    hr = reg->RegisterMenu(nullptr, menu, menuId, 0);
    if (SUCCEEDED(hr))
        hr = reg->QueryInterface(IID_IKFPMenuSet, reinterpret_cast<void**>(&set));
    if (SUCCEEDED(hr)) {
        hr = set->Detach();
        set->Release();
    }
    reg->Release();
    return hr;
}

// Registers a menu bar at GetMainMenu and a popup for "Library" (once); command 1 asks the
// workspace for the open painters and records the answer.
class MenuPlugin final : public HostedPlugin {
public:
    MenuPlugin(IServiceProvider* site, pluginhost::Transcript& t) : site_(site), t_(t) {}
    std::int32_t SetSite() override { return S_OK; }
    std::int32_t Initialize() override { return S_OK; }
    std::int32_t Terminate() override { return S_OK; }
    std::int32_t GetMainMenu() override {
        HMENU bar = CreateMenu();
        HMENU popup = CreatePopupMenu();
        AddRecordItem(popup, 30011, L"Open Draftora Workspace");
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(popup, MF_STRING, 30012, L"Plug-in Options");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Draftora");
        return HandOver(bar, kMainMenu);
    }
    std::int32_t GetContextMenu(const std::u16string& name) override {
        if (name != u"Library" || libraryDone_)
            return S_OK;
        libraryDone_ = true;
        HMENU popup = CreatePopupMenu();
        AddRecordItem(popup, 30006, L"Link Draftora Model");
        return HandOver(popup, kLibraryMenu);
    }
    std::int32_t InvokeCommand(std::int32_t, const std::u16string&) override {
        IKFPWorkspaceService* service = nullptr;
        HRESULT hr = site_->QueryService(SID_WorkspaceService, IID_IKFPWorkspaceService,
                                         reinterpret_cast<void**>(&service));
        if (FAILED(hr))
            return hr;
        IUnknown* unknown = nullptr;
        hr = service->GetWorkspace(&unknown);
        service->Release();
        if (FAILED(hr))
            return hr;
        IKFPWorkspace* workspace = nullptr;
        hr = unknown->QueryInterface(IID_IKFPWorkspace, reinterpret_cast<void**>(&workspace));
        unknown->Release();
        if (FAILED(hr))
            return hr;
        LONG painters = -1;
        BSTR none = SysAllocString(L"");
        hr = workspace->ExecuteCommand(1084, 0, none, &painters);
        SysFreeString(none);
        workspace->Release();
        t_.Add("test", "painters " + std::to_string(painters));
        return hr;
    }
    std::int32_t QueryCommandState(const std::u16string&, std::int32_t,
                                   std::uint8_t& state) override {
        state = 0;
        return S_OK;
    }
    std::int32_t Notify(std::int32_t, const std::u16string&) override { return S_OK; }
    std::int32_t Call(const std::u16string&, const std::vector<std::u16string>&) override {
        return kNotImpl;
    }

private:
    IServiceProvider* site_;
    pluginhost::Transcript& t_;
    bool libraryDone_ = false;
};

TEST(KfHostThroughPluginHost, MenusAndHostFixtureAreTheDllsOwn) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::string file = "menus.transcript";
    DeleteFileA(file.c_str());
    // pluginhost.dll appends its lines to the runner's file.
    SetEnvironmentVariableA("KF_HOST_TRANSCRIPT", file.c_str());
    std::string error;
    HMODULE module = LoadPluginHost(error);
    ASSERT_TRUE(module) << error;
    auto side = PluginHostSide(module, error);
    ASSERT_TRUE(side) << error;
    using GetFn = HRESULT(__stdcall*)(IUnknown**);
    auto get = reinterpret_cast<GetFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "IKFPGetServiceProvider")));
    ASSERT_TRUE(get);
    IUnknown* unknown = nullptr;
    IServiceProvider* site = nullptr;
    ASSERT_EQ(get(&unknown), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&site)), S_OK);

    pluginhost::Transcript t;
    t.WriteTo(file);
    pluginhost::HostServices host(t);
    MenuPlugin plugin(site, t);
    Runner runner(host, t, plugin, {}, {});
    runner.SetHostSide(side.get());
    runner.SetTranscriptLines([&] { return Lines(Read(file)); });
    auto scenario = std::string(KF_KFHOST_DATA) + "/menus.scenario";
    EXPECT_EQ(runner.Run(ParseScenario(Read(scenario), "menus.scenario"), "menus.scenario"), 0);
    auto golden = std::string(KF_KFHOST_DATA) + "/menus.transcript";
    EXPECT_EQ(Lines(Read(file)), Lines(Read(golden))) << Read(file);
    // The in-process services saw nothing: the DLL's were used.
    EXPECT_EQ(host.Menus(u"{4D7E0101-AE48-48AC-AEDF-B84887CE5CE8}"), nullptr);
    EXPECT_EQ(host.fixture.openPainters, 0);

    // A bad host line is refused with the in-memory runner's message.
    std::string message;
    try {
        side->Fixture({u"painters", u"many"});
    } catch (const std::invalid_argument& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "expected a number, got 'many'");
    site->Release();
}

TEST(KfHostThroughPluginHost, AMissingExportIsNamed) {
    std::string error;
    EXPECT_EQ(PluginHostSide(GetModuleHandleW(L"kernel32.dll"), error), nullptr);
    EXPECT_EQ(error, "pluginhost.dll has no export KFHostFixture");
}

} // namespace
} // namespace kf::kfhost
