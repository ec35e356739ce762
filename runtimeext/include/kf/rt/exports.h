// The three functions every extension library exports.
#pragma once

#include "kf/rt/nativeobject.h"
#include "kf/rt/runtimecontext.h"

#if defined(_WIN32)
#define KFX_EXPORT extern "C" __declspec(dllexport)
#else
#define KFX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace kf::rt {

inline constexpr std::uint32_t kExtensionVersion = 0x10A00;

// KFX_GetVersion: the version word.
using GetVersionFn = std::uint32_t (*)();
// KFX_GetDescription: the class description text, LF-separated lines.
using GetDescriptionFn = const char16_t* (*)();
// KFX_CreateNonVisualObject: runtime context, the script object being created, class name,
// out slot for the native object. 0 on success.
using CreateNonVisualObjectFn = std::int32_t (*)(RuntimeContext* context, ObjectHandle object,
                                                 const char16_t* className, NativeObject** out);

inline constexpr const char* kGetVersionName = "KFX_GetVersion";
inline constexpr const char* kGetDescriptionName = "KFX_GetDescription";
inline constexpr const char* kCreateNonVisualObjectName = "KFX_CreateNonVisualObject";

}  // namespace kf::rt

// Declared here so that an extension's definitions must match these signatures.
KFX_EXPORT std::uint32_t KFX_GetVersion();
KFX_EXPORT const char16_t* KFX_GetDescription();
KFX_EXPORT std::int32_t KFX_CreateNonVisualObject(kf::rt::RuntimeContext* context,
                                                  kf::rt::ObjectHandle object,
                                                  const char16_t* className,
                                                  kf::rt::NativeObject** out);
