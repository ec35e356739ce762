#include "hostdll.h"

#include <stdexcept>
#include <vector>

namespace kf::kfhost {
namespace {

const wchar_t kMenuServiceServer[] =
    L"CLSID\\{7C3E0007-BB5E-4D2B-ADC1-6D353AE4F17D}\\InprocServer32";

using FixtureFn = HRESULT(__stdcall*)(LONG, const wchar_t* const*);
using DumpFn = HRESULT(__stdcall*)(const wchar_t*);
using FreeFn = HRESULT(__stdcall*)();

std::wstring W(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}

class DllHostSide final : public HostSide {
public:
    DllHostSide(FixtureFn fixture, DumpFn dump, FreeFn free)
        : fixture_(fixture), dump_(dump), free_(free) {}

    void Fixture(const std::vector<std::u16string>& words) override {
        // Checked here as well, for the same message as in memory; the DLL only says no.
        pluginhost::HostFixture check;
        pluginhost::ApplyHostFixtureLine(check, words);
        std::vector<std::wstring> w;
        for (const auto& word : words)
            w.push_back(W(word));
        std::vector<const wchar_t*> p;
        for (const auto& word : w)
            p.push_back(word.c_str());
        if (FAILED(fixture_(static_cast<LONG>(p.size()), p.data())))
            throw std::invalid_argument("pluginhost.dll refuses this host fixture line");
    }
    void DumpMenus(const std::u16string& menuId) override { dump_(W(menuId).c_str()); }
    void FreeMenus() override { free_(); }

private:
    FixtureFn fixture_;
    DumpFn dump_;
    FreeFn free_;
};

template <class F> F Export(HMODULE module, const char* name, std::string& error) {
    auto f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!f && error.empty())
        error = std::string("pluginhost.dll has no export ") + name;
    return f;
}

} // namespace

HMODULE LoadPluginHost(std::string& error) {
    wchar_t path[MAX_PATH];
    DWORD size = sizeof path;
    HMODULE module = nullptr;
    if (RegGetValueW(HKEY_CLASSES_ROOT, kMenuServiceServer, nullptr, RRF_RT_REG_SZ, nullptr, path,
                     &size) == ERROR_SUCCESS)
        module = LoadLibraryW(path);
    if (!module)
        module = LoadLibraryW(L"pluginhost.dll");
    if (!module)
        error = "pluginhost.dll not found";
    return module;
}

std::unique_ptr<HostSide> PluginHostSide(HMODULE module, std::string& error) {
    error.clear();
    auto fixture = Export<FixtureFn>(module, "KFHostFixture", error);
    auto dump = Export<DumpFn>(module, "KFHostDumpMenus", error);
    auto free = Export<FreeFn>(module, "KFHostFreeMenus", error);
    if (!error.empty())
        return nullptr;
    return std::make_unique<DllHostSide>(fixture, dump, free);
}

} // namespace kf::kfhost
