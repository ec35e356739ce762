#include "module.h"

#include <oleauto.h>

#include <cstring>
#include <map>
#include <utility>

#include "interfaces.h"

namespace kf::model {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;

// Type information is loaded on first use and kept until the module unloads. The lock
// only guards that lazy fill; COM calls themselves stay on the creating thread.
CRITICAL_SECTION g_typeLock;
ITypeLib* g_ownLibrary = nullptr;
ITypeLib* g_hostLibrary = nullptr;
struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};
using InfoMap = std::map<GUID, std::pair<ITypeInfo*, ITypeInfo*>, GuidLess>;
InfoMap* g_infos = nullptr;

HRESULT FindInLibrary(ITypeLib* library, REFIID iid, ITypeInfo** dispatch, ITypeInfo** vtable) {
    ITypeInfo* info = nullptr;
    HRESULT hr = library->GetTypeInfoOfGuid(iid, &info);
    if (FAILED(hr))
        return hr;
    TYPEATTR* attr = nullptr;
    hr = info->GetTypeAttr(&attr);
    if (FAILED(hr)) {
        info->Release();
        return hr;
    }
    const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    *dispatch = info;
    if (!dual) {
        info->AddRef();
        *vtable = info;
        return S_OK;
    }
    // DispInvoke calls through the vtable, so it needs the interface side of a dual.
    HREFTYPE ref = 0;
    hr = info->GetRefTypeOfImplType(-1, &ref);
    if (SUCCEEDED(hr))
        hr = info->GetRefTypeInfo(ref, vtable);
    if (FAILED(hr)) {
        info->Release();
        *dispatch = nullptr;
    }
    return hr;
}

} // namespace

void ModuleAttach(HINSTANCE instance) {
    g_instance = instance;
    InitializeCriticalSection(&g_typeLock);
}

void ModuleDetach() {
    if (g_infos) {
        for (auto& [iid, infos] : *g_infos) {
            infos.first->Release();
            infos.second->Release();
        }
        delete g_infos;
        g_infos = nullptr;
    }
    if (g_ownLibrary)
        g_ownLibrary->Release();
    if (g_hostLibrary)
        g_hostLibrary->Release();
    g_ownLibrary = g_hostLibrary = nullptr;
    DeleteCriticalSection(&g_typeLock);
}

HINSTANCE ModuleInstance() {
    return g_instance;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ModuleLock() {
    InterlockedIncrement(&g_locks);
}
void ModuleUnlock() {
    InterlockedDecrement(&g_locks);
}
LONG ModuleLockCount() {
    return InterlockedCompareExchange(&g_locks, 0, 0);
}

HRESULT InterfaceTypeInfo(REFIID iid, ITypeInfo** dispatch, ITypeInfo** vtable) {
    *dispatch = *vtable = nullptr;
    EnterCriticalSection(&g_typeLock);
    if (!g_infos)
        g_infos = new InfoMap;
    HRESULT hr = S_OK;
    auto found = g_infos->find(iid);
    if (found == g_infos->end()) {
        if (!g_ownLibrary) {
            std::wstring path = ModulePath();
            hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_ownLibrary);
        }
        if (SUCCEEDED(hr))
            hr = FindInLibrary(g_ownLibrary, iid, dispatch, vtable);
        if (FAILED(hr)) {
            hr = S_OK;
            if (!g_hostLibrary)
                hr = LoadRegTypeLib(LIBID_KFGenericPluginLib, 10, 0, 0, &g_hostLibrary);
            if (SUCCEEDED(hr))
                hr = FindInLibrary(g_hostLibrary, iid, dispatch, vtable);
        }
        if (SUCCEEDED(hr))
            found = g_infos->emplace(iid, std::make_pair(*dispatch, *vtable)).first;
    } else {
        *dispatch = found->second.first;
        *vtable = found->second.second;
    }
    if (SUCCEEDED(hr)) {
        (*dispatch)->AddRef();
        (*vtable)->AddRef();
    }
    LeaveCriticalSection(&g_typeLock);
    return hr;
}

} // namespace kf::model
