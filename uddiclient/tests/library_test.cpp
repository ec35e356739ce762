// The built extension library through its exports, as the runtime loads it, in every lane
// that can run it. Nothing here needs a JVM: on Linux the library runs from a folder without
// jvmhost; under Wine there is no Java runtime behind jvmhost.dll.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fakeruntime.h"
#include "kf/jvmhost/javavm.h"
#include "kf/rt/exports.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace kf::uddi::test {
namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
// Under Wine the tests run with the extension's folder as working directory.
const char* const kExtension = "uddiclientext.dll";
void* OpenLibrary(const std::string& path) {
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}
void* Symbol(void* lib, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
#else
const char* const kExtension = KF_UDDI_EXTENSION;
void* OpenLibrary(const std::string& path) {
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* Symbol(void* lib, const char* name) {
    return ::dlsym(lib, name);
}
#endif

struct Exports {
    rt::GetVersionFn version = nullptr;
    rt::GetDescriptionFn description = nullptr;
    rt::CreateNonVisualObjectFn create = nullptr;
};

Exports Load(const std::string& path) {
    void* lib = OpenLibrary(path);
    EXPECT_NE(lib, nullptr) << path;
    if (lib == nullptr)
        return {};
    Exports e;
    e.version = reinterpret_cast<rt::GetVersionFn>(Symbol(lib, "KFX_GetVersion"));
    e.description = reinterpret_cast<rt::GetDescriptionFn>(Symbol(lib, "KFX_GetDescription"));
    e.create =
        reinterpret_cast<rt::CreateNonVisualObjectFn>(Symbol(lib, "KFX_CreateNonVisualObject"));
    EXPECT_TRUE(e.version && e.description && e.create);
    return e;
}

// Every function of an object without a JVM behind it: -1, or -9 for a malformed call.
void ExpectAllFunctionsFail(rt::NativeObject* o) {
    FakeRuntime runtime;
    auto strings = [&](int arrays) {
        std::vector<FakeValue> args{FakeValue::String(runtime.String(u"acme")), FakeValue::Int(4)};
        for (int i = 0; i < arrays; ++i)
            args.push_back(FakeValue::Array(runtime.Array()));
        return FakeFrame(std::move(args));
    };
    FakeFrame frames[] = {FakeFrame({FakeValue::String(runtime.String(u"http://127.0.0.1:1/"))}),
                          FakeFrame({FakeValue::Boolean(true), FakeValue::Boolean(false),
                                     FakeValue::Int(1), FakeValue::Int(3)}),
                          strings(3), strings(4), strings(5)};
    for (rt::MethodId id = 0; id < 5; ++id) {
        EXPECT_EQ(o->InvokeMethod(&runtime, 1, id, &frames[id]), 0);
        EXPECT_EQ(frames[id].result.written, std::optional<std::int16_t>(-1)) << id;
    }
    EXPECT_FALSE(frames[2].arg(1).written.has_value());
    EXPECT_TRUE(runtime.writes.empty());
    FakeFrame sixArguments = strings(4);
    EXPECT_EQ(o->InvokeMethod(&runtime, 1, 4, &sixArguments), -9);
    EXPECT_FALSE(sixArguments.result.written.has_value());
    FakeFrame url({FakeValue::String(runtime.String(u"x"))});
    EXPECT_EQ(o->InvokeMethod(&runtime, 1, 5, &url), -9);
}

TEST(ExtensionLibrary, ExportsVersionDescriptionAndRefusesOtherClasses) {
    const Exports e = Load(kExtension);
    ASSERT_TRUE(e.create);
    EXPECT_EQ(e.version(), 68096u);
    const std::u16string text = e.description();
    EXPECT_EQ(text.size(), 749u);
    EXPECT_EQ(text.substr(0, 37), u"class UDDIProxy from nonvisualobject\n");
    FakeRuntime runtime;
    for (const char16_t* name : {u"soapconnection", u"UDDIProxy2", u""}) {
        rt::NativeObject* out = reinterpret_cast<rt::NativeObject*>(&runtime);
        EXPECT_EQ(e.create(&runtime, 1, name, &out), -13);
        EXPECT_EQ(out, nullptr);
    }
}

TEST(ExtensionLibraryMissingHost, ObjectWithoutJvmHostFailsEveryFunction) {
    // A copy of the extension alone in a folder of its own, run from there.
    const fs::path dir = fs::temp_directory_path() / ("kf-uddi-nohost-" + std::to_string(
#if defined(_WIN32)
                                                                              GetCurrentProcessId()
#else
                                                                              ::getpid()
#endif
                                                                                  ));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path copy = dir / fs::path(kExtension).filename();
    fs::copy_file(fs::absolute(kExtension), copy);
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const Exports e = Load(copy.string());
    ASSERT_TRUE(e.create);
    FakeRuntime runtime;
    rt::NativeObject* o = nullptr;
    EXPECT_EQ(e.create(&runtime, 1, u"uddiproxy", &o), 0);
    ASSERT_NE(o, nullptr);
    ExpectAllFunctionsFail(o);
    o->DestroyObject();
    fs::current_path(before);
    std::error_code ignored;
    fs::remove_all(dir, ignored); // Windows keeps the loaded copy locked
}

#if defined(_WIN32)
TEST(ExtensionLibrary, WithoutAJavaRuntimeTheHostFailsAndEveryFunctionFails) {
    SetEnvironmentVariableA("JAVA_HOME", nullptr);
    auto* host = OpenLibrary("jvmhost.dll");
    ASSERT_NE(host, nullptr);
    auto create = reinterpret_cast<jvmhost::CreateJavaVMFn>(Symbol(host, "KF_CreateJavaVM"));
    ASSERT_NE(create, nullptr);
    jvmhost::JavaVMInterface* vm = reinterpret_cast<jvmhost::JavaVMInterface*>(host);
    EXPECT_LT(create(&vm, 0), 0);
    EXPECT_EQ(vm, nullptr);

    const Exports e = Load(kExtension);
    ASSERT_TRUE(e.create);
    FakeRuntime runtime;
    rt::NativeObject* o = nullptr;
    EXPECT_EQ(e.create(&runtime, 1, u"UDDIPROXY", &o), 0);
    ASSERT_NE(o, nullptr);
    ExpectAllFunctionsFail(o);
    o->DestroyObject();
}
#endif

} // namespace
} // namespace kf::uddi::test
