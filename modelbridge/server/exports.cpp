// The in-process server's entry points.
#include <windows.h>

#include <olectl.h>

#include <optional>
#include <string>

#include "classes.h"
#include "classfactory.h"
#include "interfaces.h"
#include "kf/model/registration.h"
#include "module.h"
#include "winregistry.h"

namespace kf::model {

const std::array<ClassCreator, kClassTable.size()> kClassCreators{{
    {&CLSID_KFPDRService, CreateService},
    {&CLSID_KFPShellCallBack, CreateShellCallBack},
    {&CLSID_KFPShellStatusBar, CreateShellStatusBar},
    {&CLSID_KFPOOMFactory, CreateViewFactory<kOomView>},
    {&CLSID_KFPOOMEditor, CreateControl<kOomView>},
    {&CLSID_KFPModelFactory, CreateViewFactory<kModelView>},
    {&CLSID_KFPModelView, CreateControl<kModelView>},
    {&CLSID_KFPResultListFactory, CreateViewFactory<kResultListView>},
    {&CLSID_KFPResultListView, CreateControl<kResultListView>},
    {&CLSID_KFPOutputFactory, CreateViewFactory<kOutputView>},
    {&CLSID_KFPOutputView, CreateControl<kOutputView>},
    {&CLSID_KFPWorkspaceEventSink, CreateWorkspaceEventSink},
    {&CLSID_KFPPDMFactory, CreateViewFactory<kPdmView>},
    {&CLSID_KFPPDMEditor, CreateControl<kPdmView>},
    {&CLSID_KFPShellProgressBar, CreateShellProgressBar},
    {&CLSID_KFPLayoutManager, CreateLayoutManager},
    {&CLSID_KFPAddInMenuProvider, CreateAddInMenuProvider},
    {&CLSID_KFPModelCodeSyncManager, CreateModelCodeSyncManager},
    {&CLSID_KFPObjectEventHandler, CreateObjectEventHandler},
    {&CLSID_KFPAttributeEventSink, CreateAttributeEventSink},
    {&CLSID_KFPCollectionEventSink, CreateCollectionEventSink},
}};

namespace {

// The registration script of a class: a REGISTRY resource with the class's script id.
std::optional<std::u16string> LoadScript(const ClassEntry& entry) {
    HINSTANCE module = ModuleInstance();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(entry.scriptResource), L"REGISTRY");
    if (!found)
        return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (!bytes)
        return std::nullopt;
    if (size == 0)
        return std::u16string();
    int n = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    std::u16string text(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size),
                        reinterpret_cast<wchar_t*>(text.data()), n);
    return text;
}

HRESULT RunScripts(RegistrarMode mode) {
    const std::wstring path = ModulePath();
    if (path.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    WindowsRegistry registry;
    return RunClassScripts(mode, LoadScript,
                           ModuleReplacements(std::u16string(path.begin(), path.end())), registry);
}

HRESULT RegisterTypeLibrary() {
    const std::wstring path = ModulePath();
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    hr = RegisterTypeLib(library, const_cast<LPOLESTR>(path.c_str()), nullptr);
    library->Release();
    return hr;
}

HRESULT UnregisterTypeLibrary() {
    const std::wstring path = ModulePath();
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    TLIBATTR* attr = nullptr;
    hr = library->GetLibAttr(&attr);
    if (SUCCEEDED(hr)) {
        // A library that is not registered (any more) is nothing to undo.
        ITypeLib* registered = nullptr;
        if (SUCCEEDED(LoadRegTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                     &registered))) {
            registered->Release();
            hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                   attr->syskind);
        }
        library->ReleaseTLibAttr(attr);
    }
    library->Release();
    return hr;
}

} // namespace
} // namespace kf::model

using namespace kf::model;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        ModuleAttach(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Only on FreeLibrary: at process exit the COM libraries may already be gone.
        ReleaseClassFactories();
        ModuleDetach();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    for (std::size_t i = 0; i < kClassCreators.size(); ++i)
        if (*kClassCreators[i].clsid == clsid)
            return GetClassFactory(i, iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    HRESULT hr = RunScripts(RegistrarMode::Register);
    return FAILED(hr) ? hr : RegisterTypeLibrary();
}

STDAPI DllUnregisterServer() {
    HRESULT hr = RunScripts(RegistrarMode::Unregister);
    return FAILED(hr) ? hr : UnregisterTypeLibrary();
}
