// draftora.dll: the modelling tool as an in-process COM server (apartment). The plug-out
// class hands out the tool's plug-out object; every object answers IDispatch over its
// member table, without a type library.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <string>

#include "kf/draftora/tool.h"
#include "kf/model/dispatch.h"

namespace {

// {12C41D34-4D7D-4035-9E0C-43202CA9423A}
const CLSID CLSID_DRPlugout = {
    0x12c41d34, 0x4d7d, 0x4035, {0x9e, 0x0c, 0x43, 0x20, 0x2c, 0xa9, 0x42, 0x3a}};
// {5EE2183B-BED3-4419-84FB-7F9A963DCC34}
const IID IID_IDRPlugout = {
    0x5ee2183b, 0xbed3, 0x4419, {0x84, 0xfb, 0x7f, 0x9a, 0x96, 0x3d, 0xcc, 0x34}};
const wchar_t kClsid[] = L"{12C41D34-4D7D-4035-9E0C-43202CA9423A}";
const wchar_t kIid[] = L"{5EE2183B-BED3-4419-84FB-7F9A963DCC34}";
const wchar_t kProgId[] = L"Draftora.Plugout";
const wchar_t kPSDispatch[] = L"{00020420-0000-0000-C000-000000000046}";

HMODULE g_module = nullptr;
LONG g_locks = 0;
kf::draftora::Tool* g_tool = nullptr;

// One tool per process, as one running application: created on first use and kept until
// the process ends (its objects may be held by clients that outlive any unload request).
kf::draftora::Tool& TheTool() {
    if (!g_tool)
        g_tool = new kf::draftora::Tool();
    return *g_tool;
}

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IDispatch* plugout = kf::model::ToDispatch(TheTool().Plugout(), IID_IDRPlugout);
        HRESULT hr = plugout->QueryInterface(iid, out);
        plugout->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&g_locks);
        else
            InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

Factory g_factory;

std::wstring ModulePath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    return std::wstring(path, n);
}

LONG SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY k;
    LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return rc;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_DRPlugout)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() {
    return (g_tool || g_locks || kf::model::LiveDispatchServers()) ? S_FALSE : S_OK;
}

extern "C" HRESULT __stdcall DllRegisterServer() {
    const std::wstring clsid = std::wstring(L"CLSID\\") + kClsid;
    const std::wstring iface = std::wstring(L"Interface\\") + kIid;
    LONG rc = ERROR_SUCCESS;
    auto set = [&](const std::wstring& key, const wchar_t* name, const std::wstring& value) {
        if (rc == ERROR_SUCCESS)
            rc = SetValue(HKEY_CLASSES_ROOT, key, name, value);
    };
    set(clsid, nullptr, L"Draftora Plug-out");
    set(clsid + L"\\InprocServer32", nullptr, ModulePath());
    set(clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    set(clsid + L"\\ProgID", nullptr, kProgId);
    set(kProgId, nullptr, L"Draftora Plug-out");
    set(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsid);
    set(iface, nullptr, L"IDRPlugout");
    set(iface + L"\\ProxyStubClsid32", nullptr, kPSDispatch);
    return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsid).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"Interface\\") + kIid).c_str());
    return S_OK;
}
