// The interface of the JVM host library: one export that creates or joins the process's
// Java VM and hands out an interface for it.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define KF_JVMHOST_CALL __stdcall
#else
#define KF_JVMHOST_CALL
#endif

namespace kf::jvmhost {

class JavaVMInterface {
public:
    // Stores the calling thread's JNIEnv* through env (attaching the thread when it is not
    // yet attached); stores none and returns a negative status when there is none.
    virtual std::int32_t GetEnv(void** env) = 0;
    // Gives the reference back; the interface is gone afterwards. The VM itself stays in
    // the process (it cannot be created a second time), so JNI environments handed out
    // earlier remain usable.
    virtual void Release() = 0;

protected:
    ~JavaVMInterface() = default;
};

// KF_CreateJavaVM(&vm, 0): 0 and *vm set on success, negative and *vm none on failure.
using CreateJavaVMFn = std::int32_t(KF_JVMHOST_CALL*)(JavaVMInterface** vm, std::int32_t reserved);
inline constexpr const char* kCreateJavaVMName = "KF_CreateJavaVM";

// Status codes of KF_CreateJavaVM and GetEnv.
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kBadArgument = -1;
inline constexpr std::int32_t kNoJavaRuntime = -2; // no JDK/JRE found or libjvm not loadable
inline constexpr std::int32_t kCreateFailed = -3;  // JNI_CreateJavaVM failed
inline constexpr std::int32_t kNoEnvironment = -4; // the thread could not be attached

} // namespace kf::jvmhost
