// The Windows registry, read through the narrow (ANSI) API as the generator works in
// narrow text.

#include "kf/registry/registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace kf::registry {
namespace {

HKEY RootOf(Hive hive) {
    return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class Key {
public:
    Key(Hive hive, std::string_view path) {
        const std::string p(path);
        if (::RegOpenKeyExA(RootOf(hive), p.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key() {
        if (key_) ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class WindowsRegistry : public RegistryReader {
public:
    bool KeyExists(Hive hive, std::string_view keyPath) const override {
        return Key(hive, keyPath).get() != nullptr;
    }

    std::optional<std::string> ReadString(Hive hive, std::string_view keyPath,
                                          std::string_view valueName,
                                          std::size_t bufferSize) const override {
        Key key(hive, keyPath);
        if (!key.get() || bufferSize == 0 || bufferSize > MAXDWORD) return std::nullopt;
        const std::string name(valueName);
        std::vector<char> buffer(bufferSize);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(bufferSize);
        // ERROR_MORE_DATA: the value is larger than the caller's buffer, so it is not read.
        if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        // Stored data need not end in a zero; it still has to fit with one.
        const std::size_t length = ::strnlen(buffer.data(), size);
        if (length >= bufferSize) return std::nullopt;
        return std::string(buffer.data(), length);
    }
};

} // namespace

std::unique_ptr<RegistryReader> OpenSystemRegistry() {
    return std::make_unique<WindowsRegistry>();
}

} // namespace kf::registry
