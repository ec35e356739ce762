// The host menu service class {7C3E0007-...}: a plug-in registers menus under menu ids and
// hands the set over (the menu set's third operation); from then on the host owns the
// menus with their item records, prints them by menu id and frees them. The class object,
// and the registration regsvr32 writes for it.
#include <olectl.h>

#include <string>
#include <utility>
#include <vector>

#include "KFGenericPlugin.h"
#include "comobject.h"
#include "host.h"

namespace kf::pluginhost {
namespace {

std::u16string GuidText(REFGUID id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    std::wstring w(text);
    return std::u16string(w.begin(), w.end());
}

KFPMenuItemRecord* RecordOf(const MENUITEMINFOW& mi) {
    return (mi.fType & MFT_OWNERDRAW) && mi.dwItemData
               ? reinterpret_cast<KFPMenuItemRecord*>(mi.dwItemData)
               : nullptr;
}

HostServices::MenuItem Describe(HMENU menu, int pos) {
    wchar_t text[1025] = {};
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = 1024;
    HostServices::MenuItem item;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &mi))
        return item;
    if (auto* r = RecordOf(mi)) {
        item.command = r->commandId;
        item.caption = Text(r->caption);
    } else if (!(mi.fType & (MFT_SEPARATOR | MFT_BITMAP))) {
        item.command = static_cast<std::int32_t>(mi.wID);
        std::wstring w(text);
        item.caption.assign(w.begin(), w.end());
    }
    if (mi.hSubMenu) {
        item.command = 0;
        for (int i = 0, n = GetMenuItemCount(mi.hSubMenu); i < n; ++i)
            item.items.push_back(Describe(mi.hSubMenu, i));
    }
    return item;
}

// A menu bar gives one popup per item; a lone popup is one popup without caption.
std::vector<HostServices::MenuItem> Popups(HMENU menu) {
    std::vector<HostServices::MenuItem> out;
    int n = GetMenuItemCount(menu);
    bool bar = n > 0;
    for (int i = 0; i < n; ++i)
        bar = bar && GetSubMenu(menu, i);
    if (bar) {
        for (int i = 0; i < n; ++i)
            out.push_back(Describe(menu, i));
        return out;
    }
    HostServices::MenuItem popup;
    for (int i = 0; i < n; ++i)
        popup.items.push_back(Describe(menu, i));
    out.push_back(std::move(popup));
    return out;
}

void FreeRecords(HMENU menu) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_DATA;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi))
            continue;
        if (mi.hSubMenu)
            FreeRecords(mi.hSubMenu);
        if (auto* r = RecordOf(mi)) {
            SysFreeString(r->caption);
            if (r->image)
                DeleteObject(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(r->image)));
            CoTaskMemFree(r);
            mi.fMask = MIIM_DATA;
            mi.dwItemData = 0;
            SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi);
        }
    }
}

std::vector<HMENU>& KeptMenus() {
    static auto* kept = new std::vector<HMENU>(); // process lifetime, like the host's
    return *kept;
}

class MenuService final : public ComObject<IKFPMenuRegistration, IKFPMenuSet> {
public:
    ~MenuService() override {
        if (!handedOver_)
            for (auto& [id, menu] : menus_)
                DestroyMenuAndRecords(menu);
    }

    STDMETHODIMP RegisterMenu(HINSTANCE, HMENU menu, REFGUID menuId, LONG flags) override {
        if (!menu || !IsMenu(menu))
            return E_INVALIDARG;
        if (handedOver_)
            return E_UNEXPECTED;
        menus_.emplace_back(GuidText(menuId), menu);
        HostTranscript().Add("host", "MenuService.RegisterMenu " + Utf8(menus_.back().first) +
                                         " flags=" + std::to_string(flags));
        return S_OK;
    }

    STDMETHODIMP GetCount(LONG* count) override {
        if (!count)
            return E_POINTER;
        *count = static_cast<LONG>(menus_.size());
        return S_OK;
    }
    STDMETHODIMP GetItem(LONG index, HMENU* menu) override {
        if (!menu)
            return E_POINTER;
        *menu = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= menus_.size())
            return E_INVALIDARG;
        *menu = menus_[static_cast<std::size_t>(index)].second;
        return S_OK;
    }
    // Hands the registered menus to the host; the set still lists them.
    STDMETHODIMP Detach() override {
        if (!handedOver_)
            for (auto& [id, menu] : menus_)
                KeepMenu(id, menu);
        handedOver_ = true;
        return S_OK;
    }

private:
    void* Cast(REFIID iid) override {
        if (iid == IID_IKFPMenuRegistration)
            return static_cast<IKFPMenuRegistration*>(this);
        if (iid == IID_IKFPMenuSet)
            return static_cast<IKFPMenuSet*>(this);
        return nullptr;
    }
    std::vector<std::pair<std::u16string, HMENU>> menus_;
    bool handedOver_ = false;
};

class MenuServiceFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; } // static
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return outer ? CLASS_E_NOAGGREGATION : CreateMenuService(iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

const wchar_t kClassKey[] = L"CLSID\\{7C3E0007-BB5E-4D2B-ADC1-6D353AE4F17D}";

LONG SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

HRESULT CreateMenuService(REFIID iid, void** out) {
    auto* service = new MenuService();
    HRESULT hr = service->QueryInterface(iid, out);
    service->Release();
    return hr;
}

void DestroyMenuAndRecords(HMENU menu) {
    if (!menu || !IsMenu(menu))
        return;
    FreeRecords(menu);
    DestroyMenu(menu);
}

void KeepMenu(const std::u16string& menuId, HMENU menu) {
    KeptMenus().push_back(menu);
    for (auto& popup : Popups(menu))
        Services().RegisterMenu(menuId, std::move(popup));
}

void FreeKeptMenus() {
    for (HMENU menu : KeptMenus())
        DestroyMenuAndRecords(menu);
    KeptMenus().clear();
    Services().FreeMenus();
}

} // namespace kf::pluginhost

using kf::pluginhost::Module;

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    static kf::pluginhost::MenuServiceFactory factory;
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_KFPMenuService)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

// The host's services live as long as the process.
extern "C" HRESULT __stdcall DllCanUnloadNow() {
    return S_FALSE;
}

extern "C" HRESULT __stdcall DllRegisterServer() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(Module(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return SELFREG_E_CLASS;
    std::wstring key = kf::pluginhost::kClassKey;
    if (kf::pluginhost::SetValue(HKEY_CLASSES_ROOT, key, nullptr, L"KFPMenuService Class") ||
        kf::pluginhost::SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr,
                                 std::wstring(path, n)) ||
        kf::pluginhost::SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel",
                                 L"Apartment"))
        return SELFREG_E_CLASS;
    return S_OK;
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
    LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, kf::pluginhost::kClassKey);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
