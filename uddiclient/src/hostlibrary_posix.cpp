#include <dlfcn.h>

#include "kf/rt/utf16.h"
#include "kf/uddi/uddiproxyobject.h"

namespace kf::uddi {

// dlopen searches the extension's own RUNPATH ($ORIGIN) after LD_LIBRARY_PATH, so the host
// library is found beside uddiclientext.so.
const char16_t kJvmHostFileName[] = u"jvmhost.so";

namespace {

class PosixLoader final : public HostLibraryLoader {
public:
    void* Load(const char16_t* fileName) const override {
        const std::string name = rt::Utf16ToUtf8(fileName);
        return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    void* Symbol(void* library, const char* name) const override { return ::dlsym(library, name); }
};

} // namespace

const HostLibraryLoader& SystemLibraryLoader() {
    static const PosixLoader loader;
    return loader;
}

} // namespace kf::uddi
