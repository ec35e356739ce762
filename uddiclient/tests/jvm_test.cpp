// uddiclientext as the runtime loads it, with the real JVM: the extension library, jvmhost,
// uddi-java.jar and the test registry on loopback (started inside the same VM). Runs under
// -Xcheck:jni; CTest fails the run on any JNI warning.
#include <dlfcn.h>
#include <jni.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fakeruntime.h"
#include "kf/jvmhost/javavm.h"
#include "kf/rt/exports.h"
#include "kf/rt/utf16.h"

namespace kf::uddi::test {
namespace {

rt::CreateNonVisualObjectFn createObject = nullptr;
JNIEnv* env = nullptr;
jclass registryClass = nullptr;
int registryPort = 0;

std::u16string InquiryUrl(int port) {
    return *rt::Utf8ToUtf16("http://127.0.0.1:" + std::to_string(port) + "/inquiry");
}

jstring JavaString(const char* text) {
    return env->NewStringUTF(text);
}

std::vector<std::string> Requests() {
    jmethodID m = env->GetStaticMethodID(registryClass, "requests", "()[Ljava/lang/String;");
    if (env->ExceptionCheck())
        env->ExceptionClear();
    auto array = static_cast<jobjectArray>(env->CallStaticObjectMethod(registryClass, m));
    std::vector<std::string> out;
    if (env->ExceptionCheck() || array == nullptr) {
        env->ExceptionClear();
        ADD_FAILURE() << "requests() failed";
        return out;
    }
    for (jsize i = 0; i < env->GetArrayLength(array); ++i) {
        auto s = static_cast<jstring>(env->GetObjectArrayElement(array, i));
        if (env->ExceptionCheck() || s == nullptr)
            break;
        const char* chars = env->GetStringUTFChars(s, nullptr);
        out.emplace_back(chars);
        env->ReleaseStringUTFChars(s, chars);
        env->DeleteLocalRef(s);
    }
    env->DeleteLocalRef(array);
    return out;
}

void ClearRequests() {
    jmethodID m = env->GetStaticMethodID(registryClass, "clearRequests", "()V");
    if (env->ExceptionCheck())
        env->ExceptionClear();
    env->CallStaticVoidMethod(registryClass, m);
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        ADD_FAILURE() << "clearRequests() failed";
    }
}

class JvmEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // (C1 only: the optimising compiler's arenas would blur the memory figures.)
        // The registry's classes join the VM's class path; the options only take effect if
        // the VM is created here, which is what this executable is for.
        ::setenv("CLASSPATH", KF_TEST_REGISTRY_JAR, 1);
        ::setenv("KF_JVM_OPTIONS",
                 "-Xcheck:jni -Xms32m -Xmx32m -XX:+AlwaysPreTouch -XX:TieredStopAtLevel=1", 0);
        void* extension = ::dlopen(KF_UDDI_EXTENSION, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(extension, nullptr) << ::dlerror();
        createObject = reinterpret_cast<rt::CreateNonVisualObjectFn>(
            ::dlsym(extension, "KFX_CreateNonVisualObject"));
        ASSERT_NE(createObject, nullptr);

        void* host = ::dlopen(KF_UDDI_JVMHOST, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(host, nullptr) << ::dlerror();
        auto create = reinterpret_cast<jvmhost::CreateJavaVMFn>(::dlsym(host, "KF_CreateJavaVM"));
        ASSERT_NE(create, nullptr);
        jvmhost::JavaVMInterface* vm = nullptr;
        ASSERT_EQ(create(&vm, 0), 0);
        void* e = nullptr;
        ASSERT_EQ(vm->GetEnv(&e), 0);
        env = static_cast<JNIEnv*>(e);
        vm->Release(); // the VM stays; so does the environment

        registryClass = env->FindClass("kf/uddi/testregistry/UddiTestRegistry");
        ASSERT_FALSE(env->ExceptionCheck());
        ASSERT_NE(registryClass, nullptr);
        jmethodID start = env->GetStaticMethodID(registryClass, "start",
                                                 "(Ljava/lang/String;Ljava/lang/String;)I");
        ASSERT_FALSE(env->ExceptionCheck());
        jstring fixture = JavaString(KF_TEST_REGISTRY_FIXTURE);
        ASSERT_FALSE(env->ExceptionCheck());
        registryPort = env->CallStaticIntMethod(registryClass, start, fixture, nullptr);
        env->DeleteLocalRef(fixture);
        ASSERT_FALSE(env->ExceptionCheck());
        ASSERT_GT(registryPort, 0);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new JvmEnvironment);

// One script UDDIProxy object over the real extension.
class Proxy {
public:
    explicit Proxy(FakeRuntime& runtime) : runtime_(runtime) {
        EXPECT_EQ(createObject(&runtime_, 1, u"UDDIProxy", &object_), 0);
    }
    ~Proxy() {
        if (object_ != nullptr)
            object_->DestroyObject();
    }
    std::int16_t SetUrl(const std::u16string& url) {
        FakeFrame f({FakeValue::String(runtime_.String(url))});
        return Call(0, f);
    }
    std::int16_t SetOption(bool exact, bool caseSensitive, std::int16_t sort, std::int16_t maxRow) {
        FakeFrame f({FakeValue::Boolean(exact), FakeValue::Boolean(caseSensitive),
                     FakeValue::Int(sort), FakeValue::Int(maxRow)});
        return Call(1, f);
    }
    struct Search {
        std::int16_t result = 0;
        std::optional<std::int16_t> count;
        std::vector<std::map<std::int32_t, std::u16string>> arrays;
    };
    // id 2, 3 or 4; every array starts with item 9 set, which must stay.
    Search Find(rt::MethodId id, const std::u16string& text) {
        std::vector<FakeValue> args{FakeValue::String(runtime_.String(text)), FakeValue::Int(-7)};
        const int arrays = int(id) + 1;
        for (int i = 0; i < arrays; ++i) {
            const auto a = runtime_.Array();
            runtime_.Items(a)[9] = u"untouched";
            args.push_back(FakeValue::Array(a));
        }
        FakeFrame f(std::move(args));
        Search s;
        s.result = Call(id, f);
        s.count = f.arg(1).written;
        for (int i = 0; i < arrays; ++i) {
            auto items = runtime_.Items(f.arg(std::size_t(2 + i)).GetArray());
            EXPECT_EQ(items[9], u"untouched");
            items.erase(9);
            s.arrays.push_back(items);
        }
        return s;
    }
    rt::NativeObject* object() { return object_; }

private:
    std::int16_t Call(rt::MethodId id, FakeFrame& f) {
        EXPECT_EQ(object_->InvokeMethod(&runtime_, 1, id, &f), 0);
        return f.result.written.value_or(0);
    }
    FakeRuntime& runtime_;
    rt::NativeObject* object_ = nullptr;
};

class JvmTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(registryPort, 0);
        ClearRequests();
        ASSERT_EQ(proxy.SetUrl(InquiryUrl(registryPort)), 1);
    }
    void TearDown() override { EXPECT_FALSE(env->ExceptionCheck()); }
    FakeRuntime runtime;
    Proxy proxy{runtime};
};

using Items = std::map<std::int32_t, std::u16string>;

TEST_F(JvmTest, FindBusinessGivesRecordsInRegistryOrderAndSendsMaxRows) {
    auto s = proxy.Find(2, u"acme");
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.count, std::optional<std::int16_t>(3));
    EXPECT_EQ(s.arrays[0], (Items{{1, u"acme labs"}, {2, u"Acme Rockets"}, {3, u"Acme Tools"}}));
    EXPECT_EQ(s.arrays[1], (Items{{1, u""}, {2, u"Rockets"}, {3, u"Hand tools and hardware"}}));
    EXPECT_EQ(s.arrays[2][3], u"0A1C0000-0000-4000-8000-000000000001");
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("<find_business generic=\"2.0\" xmlns=\"urn:uddi-org:api_v2\" "
                               "maxRows=\"5\"><name>acme</name></find_business>"),
              std::string::npos)
        << requests[0];
}

TEST_F(JvmTest, TextsOutsideAsciiAndMarkupCharactersSurviveBothWays) {
    auto s = proxy.Find(2, u"Bolt & Nut");
    ASSERT_EQ(s.count, std::optional<std::int16_t>(1));
    EXPECT_EQ(s.arrays[0][1], u"Bolt & Nut GmbH");
    EXPECT_EQ(s.arrays[1][1], u"Schrauben f\u00fcr alle");
    EXPECT_NE(Requests()[0].find("<name>Bolt &amp; Nut</name>"), std::string::npos);
}

struct OptionCase {
    bool exact, caseSensitive;
    std::int16_t sort, maxRow;
    const char16_t* name;
    std::vector<std::u16string> names;
    const char* qualifiers; // as sent
};

class JvmOptionTest : public JvmTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(JvmOptionTest, SetOptionChangesWhatTheRegistryIsAsked) {
    const auto& c = GetParam();
    ASSERT_EQ(proxy.SetOption(c.exact, c.caseSensitive, c.sort, c.maxRow), 1);
    auto s = proxy.Find(2, c.name);
    ASSERT_EQ(s.result, 1);
    ASSERT_EQ(s.count, std::optional<std::int16_t>(std::int16_t(c.names.size())));
    for (std::size_t i = 0; i < c.names.size(); ++i) {
        EXPECT_EQ(s.arrays[0].at(std::int32_t(i + 1)), c.names[i]);
    }
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find(c.qualifiers), std::string::npos) << requests[0];
    EXPECT_NE(requests[0].find("maxRows=\"" + std::to_string(c.maxRow) + "\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Options, JvmOptionTest,
    ::testing::Values(
        OptionCase{
            true,
            false,
            0,
            5,
            u"acme tools",
            {u"Acme Tools"},
            "<findQualifiers><findQualifier>exactNameMatch</findQualifier></findQualifiers>"},
        OptionCase{false,
                   true,
                   0,
                   5,
                   u"acme",
                   {u"acme labs"},
                   "<findQualifier>caseSensitiveMatch</findQualifier>"},
        OptionCase{false,
                   false,
                   -1,
                   5,
                   u"acme",
                   {u"Acme Tools", u"Acme Rockets", u"acme labs"},
                   "<findQualifier>sortByNameDesc</findQualifier>"},
        OptionCase{false,
                   false,
                   1,
                   2,
                   u"acme",
                   {u"acme labs", u"Acme Rockets"},
                   "<findQualifier>sortByNameAsc</findQualifier>"}));

TEST_F(JvmTest, SearchWithoutMatchesSetsCountZeroAndReturnsOne) {
    auto s = proxy.Find(2, u"Nobody");
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.count, std::optional<std::int16_t>(0));
    for (const auto& a : s.arrays)
        EXPECT_TRUE(a.empty());
}

TEST_F(JvmTest, GetBusinessDetailGivesServicesWithTheirWsdl) {
    auto s = proxy.Find(3, u"0A1C0000-0000-4000-8000-000000000001");
    EXPECT_EQ(s.result, 1);
    ASSERT_EQ(s.count, std::optional<std::int16_t>(2));
    EXPECT_EQ(s.arrays[0], (Items{{1, u"QuoteService"}, {2, u"OrderService"}}));
    EXPECT_EQ(s.arrays[1], (Items{{1, u"Price quotes for tools"}, {2, u""}}));
    EXPECT_EQ(s.arrays[2][2], u"5E000000-0000-4000-8000-000000000012");
    // The overview URL when there is one, else the access point.
    EXPECT_EQ(s.arrays[3], (Items{{1, u"http://tools.acme.example/quote?wsdl"},
                                  {2, u"http://tools.acme.example/order.wsdl"}}));
}

TEST_F(JvmTest, FindServiceGivesServicesWithTheirBusinessNames) {
    auto s = proxy.Find(4, u"quote");
    EXPECT_EQ(s.result, 1);
    ASSERT_EQ(s.count, std::optional<std::int16_t>(2));
    EXPECT_EQ(s.arrays[0], (Items{{1, u"QuoteBoard"}, {2, u"QuoteService"}}));
    EXPECT_EQ(s.arrays[1][1], u"Tagespreise <netto>");
    EXPECT_EQ(s.arrays[2][2], u"5E000000-0000-4000-8000-000000000011");
    EXPECT_EQ(s.arrays[3], (Items{{1, u"Bolt & Nut GmbH"}, {2, u"Acme Tools"}}));
    EXPECT_EQ(s.arrays[4][1], u"http://bolt.example/board?wsdl");
}

TEST_F(JvmTest, FaultForAnUnknownKeyGivesMinusOneAndTheNextCallWorks) {
    auto s = proxy.Find(3, u"00000000-dead-beef-0000-000000000000");
    EXPECT_EQ(s.result, -1);
    EXPECT_FALSE(s.count.has_value());
    for (const auto& a : s.arrays)
        EXPECT_TRUE(a.empty());
    EXPECT_EQ(proxy.Find(2, u"Zenith").count, std::optional<std::int16_t>(1));
}

TEST_F(JvmTest, RegistryThatIsDownGivesMinusOneAndTheNextCallWorks) {
    // A port that was just free: nothing listens there.
    jclass socketClass = env->FindClass("java/net/ServerSocket");
    ASSERT_FALSE(env->ExceptionCheck());
    jmethodID init = env->GetMethodID(socketClass, "<init>", "(I)V");
    jmethodID getPort = env->GetMethodID(socketClass, "getLocalPort", "()I");
    jmethodID close = env->GetMethodID(socketClass, "close", "()V");
    ASSERT_FALSE(env->ExceptionCheck());
    jobject socket = env->NewObject(socketClass, init, 0);
    ASSERT_FALSE(env->ExceptionCheck());
    const int port = env->CallIntMethod(socket, getPort);
    ASSERT_FALSE(env->ExceptionCheck());
    env->CallVoidMethod(socket, close);
    ASSERT_FALSE(env->ExceptionCheck());
    env->DeleteLocalRef(socket);
    env->DeleteLocalRef(socketClass);

    ASSERT_EQ(proxy.SetUrl(InquiryUrl(port)), 1);
    for (rt::MethodId id : {2u, 3u, 4u})
        EXPECT_EQ(proxy.Find(id, u"acme").result, -1) << id;
    ASSERT_EQ(proxy.SetUrl(InquiryUrl(registryPort)), 1);
    EXPECT_EQ(proxy.Find(2, u"acme").result, 1);
}

TEST_F(JvmTest, MalformedInquiryUrlIsRefused) {
    EXPECT_EQ(proxy.SetUrl(u"not a url"), -1);
    EXPECT_EQ(proxy.SetUrl(u"ftp://127.0.0.1/"), -1);
    EXPECT_EQ(proxy.Find(2, u"acme").result, 1); // the previous URL still holds
}

TEST_F(JvmTest, ObjectsShareTheVmAndOutliveEachOther) {
    FakeRuntime other;
    auto second = std::make_unique<Proxy>(other);
    ASSERT_EQ(second->SetUrl(InquiryUrl(registryPort)), 1);
    EXPECT_EQ(second->Find(2, u"acme").count, std::optional<std::int16_t>(3));
    second.reset();
    EXPECT_EQ(proxy.Find(2, u"acme").count, std::optional<std::int16_t>(3));
}

std::size_t MallocInUse() {
    return mallinfo2().uordblks;
}

TEST_F(JvmTest, TenThousandCallsDoNotGrowNativeMemory) {
    ASSERT_EQ(proxy.SetOption(false, false, 1, 5), 1);
    auto round = [&](int i) {
        if (i % 100 == 0) {
            ASSERT_EQ(proxy.SetOption(false, false, i % 200 ? 1 : -1, 5), 1);
        }
        ASSERT_EQ(proxy.Find(2, u"acme").count, std::optional<std::int16_t>(3));
        runtime.Reset(); // the stand-in runtime keeps every string and array otherwise
    };
    for (int i = 0; i < 500; ++i)
        round(i); // warm up: JIT, connection pool, class loading
    ClearRequests();
    const std::size_t before = MallocInUse();
    for (int i = 0; i < 10000; ++i)
        round(i);
    const std::size_t after = MallocInUse();
    ClearRequests();
    // A leak of one string copy or one reference per call would be several megabytes.
    EXPECT_LT(after, before + 2 * 1024 * 1024) << "before " << before << ", after " << after;
}

} // namespace
} // namespace kf::uddi::test
