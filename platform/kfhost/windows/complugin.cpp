#include "complugin.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <charconv>
#include <vector>

#include "modelbridge.h"

namespace kf::kfhost {
namespace {

const wchar_t kServices[] = L"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Services";

std::wstring ReadString(HKEY key, const wchar_t* name) {
    wchar_t buffer[512];
    DWORD size = sizeof buffer, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return std::wstring(buffer, size / sizeof(wchar_t)).c_str();
}

// The class id of the "user" service entry.
bool FindUserService(CLSID& clsid, std::string& error) {
    HKEY services;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServices, 0, KEY_READ, &services) != ERROR_SUCCESS) {
        error = "no KFPlugins\\Services key: is the plug-in registered?";
        return false;
    }
    bool found = false;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD n = 256;
        if (RegEnumKeyExW(services, i, name, &n, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY entry;
        if (RegOpenKeyExW(services, name, 0, KEY_READ, &entry) != ERROR_SUCCESS)
            continue;
        if (ReadString(entry, L"Type") == L"user") {
            auto id = ReadString(entry, nullptr);
            found = SUCCEEDED(CLSIDFromString(id.c_str(), &clsid));
        }
        RegCloseKey(entry);
        if (found)
            break;
    }
    RegCloseKey(services);
    if (!found)
        error = "no service entry of Type \"user\"";
    return found;
}

BSTR Bstr(const std::u16string& s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()),
                             static_cast<UINT>(s.size()));
}

class ComPlugin final : public HostedPlugin {
public:
    ComPlugin(IUnknown* service, IUnknown* site, HMODULE host)
        : service_(service), site_(site), host_(host) {}
    ~ComPlugin() override {
        if (auto set = SetPluginService())
            set(nullptr);
        if (service_)
            service_->Release();
    }
    ComPlugin(const ComPlugin&) = delete;
    ComPlugin& operator=(const ComPlugin&) = delete;

    std::int32_t SetSite() override {
        IKFPPluginSite* s = nullptr;
        HRESULT hr = service_->QueryInterface(IID_IKFPPluginSite, reinterpret_cast<void**>(&s));
        if (FAILED(hr))
            return hr;
        hr = s->SetSite(site_);
        s->Release();
        if (auto set = SetPluginService())
            set(service_);
        return hr;
    }
    std::int32_t Initialize() override {
        return Lifecycle([](IKFPPluginLifecycle* l) { return l->Initialize(); });
    }
    std::int32_t Terminate() override {
        return Lifecycle([](IKFPPluginLifecycle* l) { return l->Terminate(); });
    }
    std::int32_t GetMainMenu() override {
        return Commands([](IKFPPluginCommands* c) {
            IUnknown* menu = nullptr;
            HRESULT hr = c->GetMainMenu(&menu);
            if (menu)
                menu->Release();
            return hr;
        });
    }
    std::int32_t GetContextMenu(const std::u16string& name) override {
        return Commands([&](IKFPPluginCommands* c) {
            IUnknown* menu = nullptr;
            BSTR b = Bstr(name);
            HRESULT hr = c->GetContextMenu(b, &menu);
            SysFreeString(b);
            if (menu)
                menu->Release();
            return hr;
        });
    }
    std::int32_t InvokeCommand(std::int32_t id, const std::u16string& location) override {
        return Commands([&](IKFPPluginCommands* c) {
            BSTR b = Bstr(location);
            VARIANT unused;
            VariantInit(&unused);
            HRESULT hr = c->InvokeCommand(id, b, unused);
            SysFreeString(b);
            return hr;
        });
    }
    std::int32_t QueryCommandState(const std::u16string& menuId, std::int32_t id,
                                   std::uint8_t& state) override {
        return Commands([&](IKFPPluginCommands* c) {
            BSTR b = Bstr(menuId);
            unsigned char s = 0;
            HRESULT hr = c->QueryCommandState(b, id, &s);
            SysFreeString(b);
            state = s;
            return hr;
        });
    }
    std::int32_t Notify(std::int32_t kind, const std::u16string& location) override {
        return Commands([&](IKFPPluginCommands* c) {
            BSTR b = Bstr(location);
            HRESULT hr = c->Notify(kind, b);
            SysFreeString(b);
            return hr;
        });
    }
    std::int32_t Call(const std::u16string& method,
                      const std::vector<std::u16string>& args) override {
        if (method == u"RebuildCommands")
            return Commands([](IKFPPluginCommands* c) { return c->RebuildCommands(); });
        IKFPDRService* s = nullptr;
        HRESULT hr = service_->QueryInterface(IID_IKFPDRService, reinterpret_cast<void**>(&s));
        if (FAILED(hr))
            return hr;
        std::vector<BSTR> b;
        for (std::size_t i = 0; i < 3; ++i)
            b.push_back(i < args.size() ? Bstr(args[i]) : nullptr);
        hr = E_INVALIDARG;
        if (method == u"ReverseEngineer")
            hr = s->ReverseEngineer(b[0]);
        else if (method == u"OpenDiagram") {
            IDispatch* d = nullptr;
            hr = s->OpenDiagram(b[0], b[1], &d);
            if (d)
                d->Release();
        } else if (method == u"FindInDiagram")
            hr = s->FindInDiagram(b[0], b[1], b[2]);
        else if (method == u"NewModel") {
            // The kind is a scenario word: anything but a 32-bit number is a bad argument.
            long kind = 0;
            std::string text = args.empty() ? "0" : pluginhost::Utf8(args[0]);
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), kind);
            hr = ec == std::errc() && end == text.data() + text.size() ? s->NewModel(kind)
                                                                       : E_INVALIDARG;
        } else if (method == u"CodeGeneration")
            hr = s->CodeGeneration();
        else if (method == u"CheckModel")
            hr = s->CheckModel();
        else if (method == u"KFCheckModel")
            hr = s->KFCheckModel();
        else if (method == u"GetPlugout") {
            IUnknown* p = nullptr;
            hr = s->GetPlugout(&p);
            if (p)
                p->Release();
        }
        for (BSTR x : b)
            SysFreeString(x);
        s->Release();
        return hr;
    }

private:
    using SetFn = HRESULT(__stdcall*)(IUnknown*);
    SetFn SetPluginService() const {
        return reinterpret_cast<SetFn>(
            reinterpret_cast<void*>(GetProcAddress(host_, "KFHostSetPluginService")));
    }
    template <class F> HRESULT Lifecycle(F f) {
        IKFPPluginLifecycle* l = nullptr;
        HRESULT hr =
            service_->QueryInterface(IID_IKFPPluginLifecycle, reinterpret_cast<void**>(&l));
        if (FAILED(hr))
            return hr;
        hr = f(l);
        l->Release();
        return hr;
    }
    template <class F> HRESULT Commands(F f) {
        IKFPPluginCommands* c = nullptr;
        HRESULT hr = service_->QueryInterface(IID_IKFPPluginCommands, reinterpret_cast<void**>(&c));
        if (FAILED(hr))
            return hr;
        hr = f(c);
        c->Release();
        return hr;
    }

    IUnknown* service_;
    IUnknown* site_;
    HMODULE host_;
};

} // namespace

std::unique_ptr<HostedPlugin> LoadRegisteredPlugin(HMODULE host, std::string& error) {
    using GetFn = HRESULT(__stdcall*)(IUnknown**);
    auto get = reinterpret_cast<GetFn>(
        reinterpret_cast<void*>(GetProcAddress(host, "IKFPGetServiceProvider")));
    IUnknown* site = nullptr;
    if (!get || FAILED(get(&site)) || !site) {
        error = "pluginhost.dll gives no service provider";
        return nullptr;
    }
    CLSID clsid;
    if (!FindUserService(clsid, error))
        return nullptr;
    IUnknown* service = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&service));
    if (FAILED(hr)) {
        char text[64];
        wsprintfA(text, "the plug-in service cannot be created: 0x%08lX", hr);
        error = text;
        return nullptr;
    }
    return std::make_unique<ComPlugin>(service, site, host);
}

} // namespace kf::kfhost
