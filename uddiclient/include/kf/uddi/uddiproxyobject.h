// UddiProxyObject: the native object behind each script UDDIProxy. Dispatches the five
// functions to the Java bridge and copies the records into the script's reference arrays.
#pragma once

#include <memory>
#include <string_view>

#include "kf/jvmhost/javavm.h"
#include "kf/rt/nativeobject.h"
#include "kf/rt/runtimecontext.h"
#include "kf/uddi/javabridge.h"

namespace kf::uddi {

// The class description of uddiclientext (749 characters).
extern const char16_t kClassDescription[];

// Where the JVM host library comes from; the real one loads it from the system, tests
// give their own.
class HostLibraryLoader {
public:
    // Loads the library once more (it is never unloaded); none when it is missing.
    virtual void* Load(const char16_t* fileName) const = 0;
    virtual void* Symbol(void* library, const char* name) const = 0;

protected:
    ~HostLibraryLoader() = default;
};

const HostLibraryLoader& SystemLibraryLoader();

// The host library's file name on this platform.
extern const char16_t kJvmHostFileName[];

class UddiProxyObject final : public rt::NativeObject {
public:
    UddiProxyObject(rt::RuntimeContext* context, rt::ObjectHandle object,
                    const HostLibraryLoader& loader);

    std::int32_t InvokeMethod(rt::RuntimeContext* context, rt::ObjectHandle object,
                              rt::MethodId method, rt::CallFrame* frame) override;
    void DestroyObject() override;

    bool usable() const { return bridge_ != nullptr && ready_; }
    std::int32_t maxRows() const { return maxRows_; }

protected:
    ~UddiProxyObject() override;

private:
    bool SetInquiryUrl(rt::RuntimeContext* context, rt::ArgumentList& args);
    bool SetOption(rt::ArgumentList& args);
    bool FindBusiness(rt::RuntimeContext* context, rt::ArgumentList& args);
    bool ServiceSearch(rt::RuntimeContext* context, rt::ArgumentList& args, std::int32_t method);

    // Kept as the object was created with; every call brings its own context and handle.
    [[maybe_unused]] rt::RuntimeContext* context_;
    [[maybe_unused]] rt::ObjectHandle object_;
    std::unique_ptr<ProxyImpl> bridge_;
    jvmhost::JavaVMInterface* vm_ = nullptr;
    bool ready_ = false;
    std::int32_t maxRows_ = 5;
};

// KFX_CreateNonVisualObject with the host library taken from `loader`: 0 and a new object
// for "UDDIProxy" in any letter case, else -13 and none.
std::int32_t CreateNonVisualObject(rt::RuntimeContext* context, rt::ObjectHandle object,
                                   const char16_t* className, rt::NativeObject** out,
                                   const HostLibraryLoader& loader);

// Method ids and parameter counts of the class description.
inline constexpr std::int32_t kParameterCounts[] = {1, 4, 5, 6, 7};

} // namespace kf::uddi
