// The three exports by which the runtime loads uddiclientext.
#include "kf/rt/exports.h"
#include "kf/uddi/uddiproxyobject.h"

KFX_EXPORT std::uint32_t KFX_GetVersion() {
    return kf::rt::kExtensionVersion;
}

KFX_EXPORT const char16_t* KFX_GetDescription() {
    return kf::uddi::kClassDescription;
}

KFX_EXPORT std::int32_t KFX_CreateNonVisualObject(kf::rt::RuntimeContext* context,
                                                  kf::rt::ObjectHandle object,
                                                  const char16_t* className,
                                                  kf::rt::NativeObject** out) {
    return kf::uddi::CreateNonVisualObject(context, object, className, out,
                                           kf::uddi::SystemLibraryLoader());
}
