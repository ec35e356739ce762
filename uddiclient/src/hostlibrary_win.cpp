#include <windows.h>

#include "kf/uddi/uddiproxyobject.h"

namespace kf::uddi {

const char16_t kJvmHostFileName[] = u"jvmhost.dll";

namespace {

class WindowsLoader final : public HostLibraryLoader {
public:
    void* Load(const char16_t* fileName) const override {
        return reinterpret_cast<void*>(LoadLibraryW(reinterpret_cast<LPCWSTR>(fileName)));
    }
    void* Symbol(void* library, const char* name) const override {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
    }
};

} // namespace

const HostLibraryLoader& SystemLibraryLoader() {
    static const WindowsLoader loader;
    return loader;
}

} // namespace kf::uddi
