// The three exports of soapclientext, and saving the module handle at load time.
#include "kf/rt/exports.h"
#include "kf/easysoap/soapproxy.h"
#include "kf/soap/entry.h"

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH)
        kf::soap::SetLibraryModuleHandle(instance);
    // On FreeLibrary only: at process exit other DLLs may already be gone.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        kf::easysoap::ReleaseLibraryResources();
    }
    return TRUE;
}
#else
#include <dlfcn.h>

namespace {

// dladdr names this library's file; RTLD_NOLOAD gives the handle it was loaded with.
__attribute__((constructor)) void SaveModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&SaveModuleHandle), &info) && info.dli_fname) {
        void* self = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
        kf::soap::SetLibraryModuleHandle(self);
        if (self)
            dlclose(self); // NOLOAD took a reference of its own
    }
}

// The runtime may unload the library; what the SOAP library set up goes with it.
__attribute__((destructor)) void ReleaseResources() {
    kf::easysoap::ReleaseLibraryResources();
}

} // namespace
#endif

KFX_EXPORT std::uint32_t KFX_GetVersion() {
    return kf::rt::kExtensionVersion;
}

KFX_EXPORT const char16_t* KFX_GetDescription() {
    return kf::soap::ClassDescription();
}

KFX_EXPORT std::int32_t KFX_CreateNonVisualObject(kf::rt::RuntimeContext*, kf::rt::ObjectHandle,
                                                  const char16_t* className,
                                                  kf::rt::NativeObject** out) {
    kf::soap::CreateNativeObject(className, out);
    return 0;
}
