// KF_CreateJavaVM: joins the process's Java VM or creates it with the companion jar on the
// class path. One interface object per call; the VM outlives them all.
#include <mutex>
#include <new>
#include <vector>

#include "kf/jvmhost/javavm.h"
#include "kf/jvmhost/vmsetup.h"
#include "platform.h"

#if defined(_WIN32)
// The export names come from the .def files (x86: the plain name of a standard-call function).
#define KF_JVMHOST_EXPORT extern "C"
#else
#define KF_JVMHOST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace kf::jvmhost {
namespace {

class VmReference final : public JavaVMInterface {
public:
    explicit VmReference(JavaVM* vm) : vm_(vm) {}

    std::int32_t GetEnv(void** env) override {
        if (env == nullptr)
            return kBadArgument;
        *env = nullptr;
        void* found = nullptr;
        jint rc = vm_->GetEnv(&found, JNI_VERSION_1_8);
        if (rc == JNI_EDETACHED)
            rc = vm_->AttachCurrentThread(&found, nullptr);
        if (rc != JNI_OK || found == nullptr)
            return kNoEnvironment;
        *env = found;
        return kOk;
    }

    void Release() override { delete this; }

private:
    ~VmReference() = default;
    JavaVM* vm_;
};

std::mutex vmMutex;

JavaVM* JoinOrCreate() {
    std::lock_guard lock(vmMutex);
    const auto jvm = LoadJvmLibrary();
    if (!jvm)
        return nullptr;
    JavaVM* vm = nullptr;
    jsize count = 0;
    if (jvm->getCreated(&vm, 1, &count) == JNI_OK && count > 0 && vm != nullptr)
        return vm;

    const std::string jar = OwnFolder() +
#if defined(_WIN32)
                            "\\" +
#else
                            "/" +
#endif
                            kCompanionJarName;
    std::vector<std::string> texts =
        VmOptions(jar, EnvironmentVariable("CLASSPATH"), EnvironmentVariable("KF_JVM_OPTIONS"));
    std::vector<JavaVMOption> options(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        options[i].optionString = texts[i].data();
        options[i].extraInfo = nullptr;
    }
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_8;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;
    void* env = nullptr;
    if (jvm->create(&vm, &env, &args) != JNI_OK)
        return nullptr;
    return vm;
}

} // namespace
} // namespace kf::jvmhost

KF_JVMHOST_EXPORT std::int32_t KF_JVMHOST_CALL KF_CreateJavaVM(kf::jvmhost::JavaVMInterface** vm,
                                                               std::int32_t /*reserved*/) {
    using namespace kf::jvmhost;
    if (vm == nullptr)
        return kBadArgument;
    *vm = nullptr;
    JavaVM* javaVm = nullptr;
    try {
        if (!LoadJvmLibrary())
            return kNoJavaRuntime;
        javaVm = JoinOrCreate();
    } catch (...) {
        return kCreateFailed;
    }
    if (javaVm == nullptr)
        return kCreateFailed;
    auto* reference = new (std::nothrow) VmReference(javaVm);
    if (reference == nullptr)
        return kCreateFailed;
    *vm = reference;
    return kOk;
}
