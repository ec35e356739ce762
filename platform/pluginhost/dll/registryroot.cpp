// The view service's registry root and the settings keys it opens, over
// HKEY_CURRENT_USER\Software\Tevron\Kestrelforge\10.0.
#include <memory>

#include "KFGenericPlugin.h"
#include "comobject.h"
#include "host.h"
#include "registrysettings.h"

namespace kf::pluginhost {
namespace {

const wchar_t kRoot[] = L"Software\\Tevron\\Kestrelforge\\10.0\\";

class SettingsKey final : public ComObject<IKFPSettingsKey> {
public:
    explicit SettingsKey(std::u16string path)
        : path_(std::move(path)), store_(std::wstring(path_.begin(), path_.end())) {}

    STDMETHODIMP WriteString(BSTR name, BSTR value) override {
        bool ok = store_.WriteString(Text(name), Text(value));
        Record("WriteString " + QuoteText(Text(name)) + " " + QuoteText(Text(value)), ok);
        return ok ? S_OK : E_FAIL;
    }
    STDMETHODIMP WriteDword(BSTR name, LONG value) override {
        bool ok = store_.WriteDword(Text(name), static_cast<std::uint32_t>(value));
        Record("WriteDword " + QuoteText(Text(name)) + " " + std::to_string(value), ok);
        return ok ? S_OK : E_FAIL;
    }
    // An absent value (or one of the other kind) answers ERROR_FILE_NOT_FOUND, as the
    // registry does, with an empty out value.
    STDMETHODIMP ReadString(BSTR name, BSTR* value) override {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        auto v = store_.ReadString(Text(name));
        HostTranscript().Add("host", "ReadString " + QuoteText(Text(name)) + " -> " +
                                         (v ? QuoteText(*v) : std::string("none")));
        if (!v)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        return PutText(value, *v);
    }
    STDMETHODIMP ReadDword(BSTR name, LONG* value) override {
        if (!value)
            return E_POINTER;
        *value = 0;
        auto v = store_.ReadDword(Text(name));
        HostTranscript().Add("host", "ReadDword " + QuoteText(Text(name)) + " -> " +
                                         (v ? std::to_string(*v) : std::string("none")));
        if (!v)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *value = static_cast<LONG>(*v);
        return S_OK;
    }

private:
    void Record(const std::string& text, bool ok) {
        HostTranscript().Add("host", text + (ok ? "" : " -> failed"));
    }
    void* Cast(REFIID iid) override {
        return iid == IID_IKFPSettingsKey ? static_cast<IKFPSettingsKey*>(this) : nullptr;
    }
    std::u16string path_;
    RegistrySettings store_;
};

class RegistryRoot final : public ComObject<IKFPRegistryRoot> {
public:
    // A key that does not exist is not opened: the plug-in then has no settings.
    STDMETHODIMP OpenKey(BSTR path, IUnknown** key) override {
        if (!key)
            return E_POINTER;
        *key = nullptr;
        auto sub = Text(path);
        std::wstring full = kRoot + std::wstring(sub.begin(), sub.end());
        HKEY opened = nullptr;
        LONG rc = sub.empty()
                      ? ERROR_FILE_NOT_FOUND
                      : RegOpenKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, KEY_READ, &opened);
        if (opened)
            RegCloseKey(opened);
        HostTranscript().Add("host",
                             "OpenKey " + QuoteText(sub) + (rc == ERROR_SUCCESS ? "" : " -> none"));
        if (rc != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(rc);
        return PutObject(key, static_cast<IKFPSettingsKey*>(new SettingsKey(sub)));
    }

private:
    void* Cast(REFIID iid) override {
        return iid == IID_IKFPRegistryRoot ? static_cast<IKFPRegistryRoot*>(this) : nullptr;
    }
};

} // namespace

IUnknown* NewRegistryRoot() {
    return static_cast<IKFPRegistryRoot*>(new RegistryRoot());
}

} // namespace kf::pluginhost
