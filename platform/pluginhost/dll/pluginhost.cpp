// pluginhost.dll: the IDE framework's service provider. IKFPGetServiceProvider hands it
// out; QueryService answers the view, shell and workspace services and, by SRVCID, the
// plug-in service the host registered. The services work over the portable host core;
// every call lands in the transcript (also appended to the file KF_HOST_TRANSCRIPT names).
#include <windows.h>

#include <oleidl.h>

#include <servprov.h>

#include <map>
#include <string>
#include <vector>

#include "KFGenericPlugin.h"
#include "comobject.h"
#include "host.h"
#include "kf/pluginhost/services.h"
#include "registrysettings.h"

namespace {

using kf::pluginhost::Bstr;
using kf::pluginhost::HostServices;
using kf::pluginhost::Text;
using kf::pluginhost::Transcript;

const GUID SID_ViewService = {
    0x2347a5f2, 0x0bdf, 0x4410, {0x98, 0x08, 0x42, 0x4b, 0x26, 0xd0, 0xca, 0xf7}};
const GUID SID_ShellService = {
    0x3ce79670, 0xb5f1, 0x41cf, {0x8f, 0xdf, 0xb2, 0x56, 0xc2, 0x01, 0xe1, 0x21}};
const GUID SID_WorkspaceService = {
    0x3392d3b9, 0x55db, 0x464d, {0xa8, 0xae, 0xcc, 0xab, 0xcd, 0xb2, 0x23, 0x4d}};
const GUID SID_FileTypeService = {
    0xf2ea725e, 0x5d77, 0x4b9e, {0xbc, 0x43, 0xef, 0x91, 0x5b, 0xb9, 0xf9, 0xc3}};
const GUID SID_ExtensionService = {
    0x1da77c5a, 0x5502, 0x4712, {0x8a, 0x6d, 0xed, 0x3a, 0xb5, 0xac, 0x8b, 0x91}};
const GUID SRVCID_Plugin = {
    0x45acfb1e, 0x174f, 0x4fb7, {0x8b, 0xf4, 0xc5, 0x85, 0xbe, 0xba, 0x5b, 0x33}};

HMODULE g_module = nullptr;

// One set of services per process, like the IDE's; lives until the process ends.
class Host final : public IServiceProvider,
                   public IKFPViewService,
                   public IKFPShellService,
                   public IKFPMessageBox,
                   public IKFPStatusText,
                   public IKFPWorkspaceService,
                   public IKFPFileTypeService,
                   public IKFPExtensionService {
public:
    Host() : services_(transcript_) {
        services_.settings = std::make_unique<kf::pluginhost::RegistrySettings>();
        wchar_t file[MAX_PATH];
        DWORD n = GetEnvironmentVariableW(L"KF_HOST_TRANSCRIPT", file, MAX_PATH);
        if (n && n < MAX_PATH)
            transcript_.AppendTo(std::filesystem::path(std::wstring(file, n)));
    }

    IUnknown* plugin = nullptr; // the plug-in service the host created

    // IUnknown: static lifetime, so reference counts are not kept.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IServiceProvider)
            *out = static_cast<IServiceProvider*>(this);
        else if (iid == IID_IKFPViewService)
            *out = static_cast<IKFPViewService*>(this);
        else if (iid == IID_IKFPShellService)
            *out = static_cast<IKFPShellService*>(this);
        else if (iid == IID_IKFPMessageBox)
            *out = static_cast<IKFPMessageBox*>(this);
        else if (iid == IID_IKFPStatusText)
            *out = static_cast<IKFPStatusText*>(this);
        else if (iid == IID_IKFPWorkspaceService)
            *out = static_cast<IKFPWorkspaceService*>(this);
        else if (iid == IID_IKFPFileTypeService)
            *out = static_cast<IKFPFileTypeService*>(this);
        else if (iid == IID_IKFPExtensionService)
            *out = static_cast<IKFPExtensionService*>(this);
        else
            return E_NOINTERFACE;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (service == SRVCID_Plugin)
            return plugin ? plugin->QueryInterface(iid, out) : E_NOINTERFACE;
        if (service == SID_ViewService && iid == IID_IKFPViewService)
            return QueryInterface(iid, out);
        if (service == SID_ShellService &&
            (iid == IID_IKFPShellService || iid == IID_IKFPMessageBox || iid == IID_IKFPStatusText))
            return QueryInterface(iid, out);
        if (service == SID_WorkspaceService && iid == IID_IKFPWorkspaceService)
            return QueryInterface(iid, out);
        if (service == SID_FileTypeService && iid == IID_IKFPFileTypeService)
            return QueryInterface(iid, out);
        if (service == SID_ExtensionService && iid == IID_IKFPExtensionService)
            return QueryInterface(iid, out);
        return E_NOINTERFACE;
    }

    // IKFPViewService
    STDMETHODIMP GetVersion(LONG* version) override {
        if (!version)
            return E_POINTER;
        *version = 10;
        return S_OK;
    }
    STDMETHODIMP GetMainWindowObject(IUnknown** window) override {
        if (!window)
            return E_POINTER;
        transcript_.Add("host", "GetMainWindowObject");
        *window = kf::pluginhost::NewMainWindowObject();
        return S_OK;
    }
    STDMETHODIMP GetStatusBarFont(HFONT* font) override {
        if (!font)
            return E_POINTER;
        *font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        return S_OK;
    }
    STDMETHODIMP OpenLocation(BSTR location) override {
        services_.OpenLocation(Text(location));
        return S_OK;
    }
    STDMETHODIMP GetRegistryRoot(IUnknown** root) override {
        if (!root)
            return E_POINTER;
        *root = kf::pluginhost::NewRegistryRoot();
        return S_OK;
    }
    STDMETHODIMP ToggleView(LONG viewId) override {
        services_.ToggleView(viewId);
        SyncWindow(viewId);
        return S_OK;
    }
    STDMETHODIMP GetViewWindow(LONG viewId, HWND* window) override {
        if (!window)
            return E_POINTER;
        *window = SyncWindow(viewId);
        return *window ? S_OK : S_FALSE;
    }
    STDMETHODIMP FindViewWindow(BSTR, BSTR, HWND* window) override {
        if (window)
            *window = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP NotifyFileClosed(BSTR file) override {
        services_.NotifyFileClosed(Text(file));
        return S_OK;
    }
    STDMETHODIMP ShowHelp(LONG topic) override {
        services_.ShowHelp(topic);
        return S_OK;
    }
    STDMETHODIMP CreateLibraryWithObject(BSTR target, BSTR library, BSTR sourceEntry,
                                         BSTR objectEntry, BSTR source, BSTR* error) override {
        auto text = services_.CreateLibraryWithObject(
            Text(target), Text(library), Text(sourceEntry), Text(objectEntry), Text(source));
        if (error)
            *error = text.empty() ? nullptr : Bstr(text);
        return text.empty() ? S_OK : E_FAIL;
    }
    STDMETHODIMP CheckGridSheetSource(BSTR source, BSTR* error) override {
        auto text = services_.CheckGridSheetSource(Text(source));
        if (error)
            *error = text.empty() ? nullptr : Bstr(text);
        return S_OK;
    }
    STDMETHODIMP GetSourceControlStatus(BSTR library, BSTR, BSTR entry, LONG* status) override {
        if (!status)
            return E_POINTER;
        *status = services_.GetSourceControlStatus(Text(library), Text(entry));
        return S_OK;
    }
    STDMETHODIMP GetLibraryListEntry(BSTR library, BSTR target, BSTR* entry) override {
        if (!entry)
            return E_POINTER;
        *entry = Bstr(services_.GetLibraryListEntry(Text(library), Text(target)));
        return S_OK;
    }
    STDMETHODIMP ExportLibrary(BSTR target, BSTR library, BSTR folder) override {
        return services_.ExportLibrary(Text(target), Text(library), Text(folder)).empty() ? S_OK
                                                                                          : E_FAIL;
    }

    // IKFPShellService: the named result list, recorded.
    STDMETHODIMP GetResultList(BSTR name, BSTR, IUnknown** list) override {
        if (!list)
            return E_POINTER;
        *list = kf::pluginhost::NewResultList(Text(name));
        return S_OK;
    }

    // IKFPStatusText
    STDMETHODIMP SetStatusText(BSTR text, LONG pane) override {
        transcript_.Add("host", "SetStatusText " + kf::pluginhost::QuoteText(Text(text)) + " " +
                                    std::to_string(pane));
        return S_OK;
    }

    // IKFPMessageBox: recorded and answered from the fixture; a real box only when
    // KF_HOST_SHOW_MESSAGES is set (demonstrations).
    STDMETHODIMP ShowMessage(BSTR text, LONG style, LONG* result) override {
        LONG answer = services_.ShowMessage(Text(text), style);
        if (GetEnvironmentVariableW(L"KF_HOST_SHOW_MESSAGES", nullptr, 0))
            answer =
                MessageBoxW(nullptr, text ? text : L"", L"Kestrelforge", static_cast<UINT>(style));
        if (result)
            *result = answer;
        return S_OK;
    }

    // IKFPWorkspaceService: fails while the fixture says no workspace is open.
    STDMETHODIMP GetWorkspace(IUnknown** workspace) override {
        if (!workspace)
            return E_POINTER;
        *workspace = nullptr;
        if (!services_.GetWorkspace())
            return E_FAIL;
        *workspace = kf::pluginhost::NewWorkspace();
        return S_OK;
    }

    // IKFPFileTypeService, IKFPExtensionService: ";"-separated lists.
    STDMETHODIMP GetViewFilter(BSTR viewName, BSTR argument) override {
        services_.GetViewFilter(Text(viewName), Text(argument));
        return S_OK;
    }
    STDMETHODIMP GetViewFileTypes(BSTR viewName, BSTR* types) override {
        return kf::pluginhost::PutText(types, services_.GetViewFileTypes(Text(viewName)));
    }
    STDMETHODIMP GetTypeExtensions(BSTR typeName, BSTR* extensions) override {
        return kf::pluginhost::PutText(extensions, services_.GetTypeExtensions(Text(typeName)));
    }

    HostServices& Services() { return services_; }
    Transcript& GetTranscript() { return transcript_; }

private:
    // The dockable view's window follows its state: created on first show, then shown or
    // hidden.
    HWND SyncWindow(LONG viewId) {
        auto state = services_.ViewWindow(viewId);
        if (!state)
            return nullptr;
        HWND& w = windows_[viewId];
        if (!w)
            w = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC",
                                (L"View " + std::to_wstring(viewId)).c_str(), WS_POPUP, 0, 0, 200,
                                100, nullptr, nullptr, g_module, nullptr);
        if (w)
            ShowWindow(w, *state ? SW_SHOWNOACTIVATE : SW_HIDE);
        return w;
    }

    Transcript transcript_;
    HostServices services_;
    std::map<LONG, HWND> windows_;
};

Host& TheHost() {
    static Host* host = new Host(); // never destroyed: clients may call in at process exit
    return *host;
}

} // namespace

namespace kf::pluginhost {

HostServices& Services() {
    return TheHost().Services();
}
Transcript& HostTranscript() {
    return TheHost().GetTranscript();
}
HMODULE Module() {
    return g_module;
}

} // namespace kf::pluginhost

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// The plug-in's way into the host: its service provider (one out argument).
extern "C" HRESULT __stdcall IKFPGetServiceProvider(IUnknown** provider) {
    if (!provider)
        return E_POINTER;
    *provider = static_cast<IServiceProvider*>(&TheHost());
    return S_OK;
}

// For the host program: the plug-in service that QueryService answers by SRVCID.
extern "C" HRESULT __stdcall KFHostSetPluginService(IUnknown* service) {
    TheHost().plugin = service;
    return S_OK;
}

// For the host program: one host fixture line (words as the scenario gives them).
extern "C" HRESULT __stdcall KFHostFixture(LONG count, const wchar_t* const* words) {
    if (count < 0 || (count > 0 && !words))
        return E_INVALIDARG;
    std::vector<std::u16string> line;
    for (LONG i = 0; i < count; ++i) {
        std::wstring w = words[i] ? words[i] : L"";
        line.emplace_back(w.begin(), w.end());
    }
    try {
        kf::pluginhost::ApplyHostFixtureLine(TheHost().Services().fixture, line);
    } catch (const std::exception&) {
        return E_INVALIDARG;
    }
    return S_OK;
}

// For the host program: prints the menus handed over under one menu id ("{...}").
extern "C" HRESULT __stdcall KFHostDumpMenus(const wchar_t* menuId) {
    if (!menuId)
        return E_POINTER;
    std::wstring w(menuId);
    TheHost().Services().DumpMenus(std::u16string(w.begin(), w.end()));
    return S_OK;
}

// For the host program: frees every menu handed over, with its item records.
extern "C" HRESULT __stdcall KFHostFreeMenus() {
    kf::pluginhost::FreeKeptMenus();
    return S_OK;
}
