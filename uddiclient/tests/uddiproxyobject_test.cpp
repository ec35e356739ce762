// UddiProxyObject with a stand-in host library: creation sequence, argument checks,
// copying of records into the script's arrays, destruction order.
#include "kf/uddi/uddiproxyobject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fakejni.h"
#include "fakeruntime.h"

namespace kf::uddi::test {
namespace {

// The host library as the extension sees it, with each step of the creation switchable.
struct FakeHost : HostLibraryLoader {
    bool libraryPresent = true;
    bool exportPresent = true;
    std::int32_t status = 0;
    bool returnsInterface = true;
    bool hasEnvironment = true;
    FakeJni* jni = nullptr;
    int releases = 0;
    std::vector<std::u16string> loaded;

    struct Vm : jvmhost::JavaVMInterface {
        FakeHost* host = nullptr;
        std::int32_t GetEnv(void** env) override {
            *env = host->hasEnvironment ? host->jni->env() : nullptr;
            return host->hasEnvironment ? 0 : -4;
        }
        void Release() override {
            ++host->releases;
            host->jni->calls.push_back("Release");
        }
    } vm;

    static std::int32_t KF_JVMHOST_CALL Create(jvmhost::JavaVMInterface** out, std::int32_t) {
        *out = current->returnsInterface ? &current->vm : nullptr;
        return current->status;
    }
    void* Load(const char16_t* name) const override {
        const_cast<FakeHost*>(this)->loaded.push_back(name);
        return libraryPresent ? const_cast<FakeHost*>(this) : nullptr;
    }
    void* Symbol(void* library, const char* name) const override {
        EXPECT_EQ(library, this);
        if (!exportPresent || std::strcmp(name, "KF_CreateJavaVM") != 0)
            return nullptr;
        return reinterpret_cast<void*>(&Create);
    }
    static inline FakeHost* current = nullptr;
};

class UddiObjectTest : public ::testing::Test {
protected:
    UddiObjectTest() {
        host.jni = &jni;
        host.vm.host = &host;
        FakeHost::current = &host;
    }
    void TearDown() override {
        EXPECT_TRUE(jni.errors.empty()) << ::testing::PrintToString(jni.errors);
        EXPECT_FALSE(jni.exceptionPending());
    }
    rt::NativeObject* Create(const char16_t* name = u"UDDIProxy") {
        rt::NativeObject* out = reinterpret_cast<rt::NativeObject*>(&host); // not left as is
        EXPECT_EQ(CreateNonVisualObject(&runtime, 7, name, &out, host), 0);
        EXPECT_NE(out, nullptr);
        return out;
    }
    std::int32_t Invoke(rt::NativeObject* o, rt::MethodId id, FakeFrame& frame) {
        return o->InvokeMethod(&runtime, 7, id, &frame);
    }
    FakeFrame FindBusiness(std::u16string name, int arrays = 3) {
        std::vector<FakeValue> args{FakeValue::String(runtime.String(std::move(name))),
                                    FakeValue::Int(-5)};
        for (int i = 0; i < arrays; ++i)
            args.push_back(FakeValue::Array(runtime.Array()));
        return FakeFrame(std::move(args));
    }
    static FakeRecord Business(std::u16string n, std::u16string d, std::u16string k) {
        return FakeRecord{{{"getName", n}, {"getDescription", d}, {"getKey", k}}};
    }

    FakeJni jni;
    FakeHost host;
    FakeRuntime runtime;
};

TEST_F(UddiObjectTest, ClassNameIsComparedWithoutRegardToCase) {
    for (const char16_t* name : {u"UDDIProxy", u"uddiproxy", u"UDDIPROXY", u"uDdIpRoXy"}) {
        Create(name)->DestroyObject();
    }
    for (const char16_t* name : {u"UDDIProx", u"UDDIProxyX", u"", u"soapconnection"}) {
        rt::NativeObject* out = reinterpret_cast<rt::NativeObject*>(&host);
        EXPECT_EQ(CreateNonVisualObject(&runtime, 7, name, &out, host), -13);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(host.loaded, std::vector<std::u16string>(4, kJvmHostFileName));
}

TEST_F(UddiObjectTest, DescriptionTextAndMethodIds) {
    const std::u16string text = kClassDescription;
    EXPECT_EQ(text.size(), 749u);
    EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 6);
    EXPECT_EQ(text.back(), u'\n');
    EXPECT_EQ(text.rfind(u"class UDDIProxy from nonvisualobject\n", 0), 0u);
    EXPECT_NE(text.find(u"ref integer count,  ref string serviceName[]"), std::u16string::npos);
}

struct CreationCase {
    const char* name;
    void (*breakIt)(FakeHost&);
    int releases;
};

class BrokenCreation : public UddiObjectTest, public ::testing::WithParamInterface<CreationCase> {};

TEST_P(BrokenCreation, GivesAnObjectWhoseFunctionsAllFail) {
    GetParam().breakIt(host);
    rt::NativeObject* o = Create();
    FakeFrame url({FakeValue::String(runtime.String(u"http://localhost/"))});
    FakeFrame options({FakeValue::Boolean(true), FakeValue::Boolean(false), FakeValue::Int(0),
                       FakeValue::Int(9)});
    FakeFrame business = FindBusiness(u"x");
    FakeFrame detail = FindBusiness(u"k", 4);
    FakeFrame service = FindBusiness(u"s", 5);
    FakeFrame* frames[] = {&url, &options, &business, &detail, &service};
    for (rt::MethodId id = 0; id < 5; ++id) {
        EXPECT_EQ(Invoke(o, id, *frames[id]), 0);
        EXPECT_EQ(frames[id]->result.written, std::optional<std::int16_t>(-1)) << id;
    }
    EXPECT_EQ(static_cast<UddiProxyObject*>(o)->maxRows(), 9); // changed all the same
    FakeFrame wrong({FakeValue::Int(1)});
    EXPECT_EQ(Invoke(o, 2, wrong), -9);
    EXPECT_TRUE(runtime.writes.empty());
    o->DestroyObject();
    EXPECT_EQ(host.releases, GetParam().releases);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BrokenCreation,
    ::testing::Values(
        CreationCase{"NoLibrary", [](FakeHost& h) { h.libraryPresent = false; }, 0},
        CreationCase{"NoExport", [](FakeHost& h) { h.exportPresent = false; }, 0},
        CreationCase{"NegativeStatus", [](FakeHost& h) { h.status = -3; }, 1},
        CreationCase{"NoInterface", [](FakeHost& h) { h.returnsInterface = false; }, 0},
        CreationCase{"NoEnvironment", [](FakeHost& h) { h.hasEnvironment = false; }, 1},
        CreationCase{"NoJavaClasses",
                     [](FakeHost& h) {
                         h.jni->missingClasses.insert("com/tevron/kestrelforge/uddi/IProxy");
                     },
                     1},
        CreationCase{"ConstructorThrows", [](FakeHost& h) { h.jni->constructorThrows = true; }, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UddiObjectTest, MalformedCallsReturnMinusNineAndLeaveTheResultAlone) {
    rt::NativeObject* o = Create();
    struct Case {
        rt::MethodId id;
        FakeFrame frame;
    };
    std::vector<Case> cases;
    cases.push_back({5, FakeFrame({FakeValue::String(runtime.String(u"x"))})});
    cases.push_back({0x10005, FakeFrame({FakeValue::String(runtime.String(u"x"))})});
    cases.push_back({0, FakeFrame({})});
    cases.push_back({0, FakeFrame({FakeValue::String(0)})}); // no string handle
    cases.push_back({1, FakeFrame({FakeValue::Boolean(true)})});
    cases.push_back({2, FindBusiness(u"x", 2)});
    cases.push_back({3, FindBusiness(u"x", 3)});
    cases.push_back({4, FindBusiness(u"x", 4)}); // six arguments
    cases.push_back({4, FindBusiness(u"x", 6)});
    {
        FakeFrame f = FindBusiness(u"x", 3);
        f.arg(0) = FakeValue::Int(3); // a number where the name should be
        cases.push_back({2, std::move(f)});
    }
    for (auto& c : cases) {
        EXPECT_EQ(Invoke(o, c.id, c.frame), -9) << c.id;
        EXPECT_FALSE(c.frame.result.written.has_value()) << c.id;
    }
    EXPECT_TRUE(jni.searches.empty());
    EXPECT_TRUE(jni.urls.empty());
    // Only the low 16 bits are the id.
    FakeFrame url({FakeValue::String(runtime.String(u"http://localhost/"))});
    EXPECT_EQ(Invoke(o, 0x20000, url), 0);
    EXPECT_EQ(url.result.written, std::optional<std::int16_t>(1));
    o->DestroyObject();
}

TEST_F(UddiObjectTest, FindBusinessFillsCountAndItemsFromNDownToOne) {
    jni.results = {Business(u"A", u"da", u"ka"), Business(u"B", u"db", u"kb"),
                   Business(u"C", u"dc", u"kc")};
    rt::NativeObject* o = Create();
    FakeFrame f = FindBusiness(u"Acme");
    for (int a = 2; a <= 4; ++a)
        runtime.Items(f.arg(std::size_t(a)).GetArray())[4] = u"keep";
    EXPECT_EQ(Invoke(o, 2, f), 0);
    EXPECT_EQ(f.result.written, std::optional<std::int16_t>(1));
    EXPECT_EQ(f.arg(1).written, std::optional<std::int16_t>(3));
    const auto names = f.arg(2).GetArray(), descriptions = f.arg(3).GetArray(),
               keys = f.arg(4).GetArray();
    EXPECT_EQ(runtime.Items(names), (std::map<std::int32_t, std::u16string>{
                                        {1, u"A"}, {2, u"B"}, {3, u"C"}, {4, u"keep"}}));
    EXPECT_EQ(runtime.Items(descriptions)[2], u"db");
    EXPECT_EQ(runtime.Items(keys)[3], u"kc");
    EXPECT_EQ(runtime.Items(keys)[4], u"keep");
    ASSERT_EQ(runtime.writes.size(), 9u);
    EXPECT_EQ(runtime.writes[0], std::make_tuple(names, 3, std::u16string(u"C")));
    EXPECT_EQ(runtime.writes[1], std::make_tuple(descriptions, 3, std::u16string(u"dc")));
    EXPECT_EQ(runtime.writes[2], std::make_tuple(keys, 3, std::u16string(u"kc")));
    EXPECT_EQ(std::get<1>(runtime.writes[8]), 1);
    ASSERT_EQ(jni.searches.size(), 1u);
    EXPECT_EQ(jni.searches[0].text, u"Acme");
    EXPECT_EQ(jni.searches[0].maxRows, 5); // before any setOption
    o->DestroyObject();
}

TEST_F(UddiObjectTest, EmptyResultSetsCountZeroAndTouchesNoArray) {
    rt::NativeObject* o = Create();
    FakeFrame f = FindBusiness(u"nobody");
    EXPECT_EQ(Invoke(o, 2, f), 0);
    EXPECT_EQ(f.result.written, std::optional<std::int16_t>(1));
    EXPECT_EQ(f.arg(1).written, std::optional<std::int16_t>(0));
    EXPECT_TRUE(runtime.writes.empty());
    o->DestroyObject();
}

TEST_F(UddiObjectTest, FailedSearchLeavesCountAndArraysAsTheyWere) {
    jni.results = {Business(u"A", u"da", u"ka")};
    rt::NativeObject* o = Create();
    for (rt::MethodId id : {2u, 3u, 4u}) {
        jni.searchThrows = id == 2   ? "findBusiness"
                           : id == 3 ? "getBusinessDetail"
                                     : "findServiceEx";
        FakeFrame f = FindBusiness(u"x", int(id) + 1);
        EXPECT_EQ(Invoke(o, id, f), 0);
        EXPECT_EQ(f.result.written, std::optional<std::int16_t>(-1));
        EXPECT_FALSE(f.arg(1).written.has_value());
    }
    EXPECT_TRUE(runtime.writes.empty());
    jni.searchThrows.reset();
    FakeFrame f = FindBusiness(u"x");
    EXPECT_EQ(Invoke(o, 2, f), 0);
    EXPECT_EQ(f.result.written, std::optional<std::int16_t>(1));
    o->DestroyObject();
}

TEST_F(UddiObjectTest, ServiceSearchesFillTheirArraysInDescriptionOrder) {
    jni.results = {FakeRecord{{{"getName", u"n"},
                               {"getDescription", u"d"},
                               {"getServiceKey", u"sk"},
                               {"getBusinessName", u"bn"},
                               {"getBusinessKey", u"bk"},
                               {"getTModelKey", u"tk"},
                               {"getWsdl", u"w"}}}};
    rt::NativeObject* o = Create();
    FakeFrame detail = FindBusiness(u"bk", 4);
    EXPECT_EQ(Invoke(o, 3, detail), 0);
    FakeFrame service = FindBusiness(u"n", 5);
    EXPECT_EQ(Invoke(o, 4, service), 0);
    auto firstItems = [&](FakeFrame& f, std::size_t arrays) {
        std::vector<std::u16string> items;
        for (std::size_t a = 0; a < arrays; ++a)
            items.push_back(runtime.Items(f.arg(2 + a).GetArray())[1]);
        return items;
    };
    EXPECT_EQ(firstItems(detail, 4), (std::vector<std::u16string>{u"n", u"d", u"sk", u"w"}));
    EXPECT_EQ(firstItems(service, 5),
              (std::vector<std::u16string>{u"n", u"d", u"sk", u"bn", u"w"}));
    EXPECT_EQ(detail.arg(1).written, std::optional<std::int16_t>(1));
    EXPECT_EQ(service.arg(1).written, std::optional<std::int16_t>(1));
    o->DestroyObject();
}

TEST_F(UddiObjectTest, SetOptionChangesMaximumRowsEvenWhenItFails) {
    rt::NativeObject* o = Create();
    auto options = [&](std::int16_t maxRow) {
        return FakeFrame({FakeValue::Boolean(true), FakeValue::Boolean(false), FakeValue::Int(-1),
                          FakeValue::Int(maxRow)});
    };
    FakeFrame ok = options(2);
    EXPECT_EQ(Invoke(o, 1, ok), 0);
    EXPECT_EQ(ok.result.written, std::optional<std::int16_t>(1));
    jni.missingClasses.insert("org/uddi4j/util/FindQualifier");
    FakeFrame failing = options(12);
    EXPECT_EQ(Invoke(o, 1, failing), 0);
    EXPECT_EQ(failing.result.written, std::optional<std::int16_t>(-1));
    FakeFrame f = FindBusiness(u"x");
    EXPECT_EQ(Invoke(o, 2, f), 0);
    ASSERT_EQ(jni.searches.size(), 1u);
    EXPECT_EQ(jni.searches[0].maxRows, 12);
    EXPECT_FALSE(jni.searches[0].qualifiersPassed); // the failed call dropped the old ones
    o->DestroyObject();
}

TEST_F(UddiObjectTest, SetInquiryUrlResult) {
    rt::NativeObject* o = Create();
    FakeFrame good({FakeValue::String(runtime.String(u"http://localhost:1/inquiry"))});
    EXPECT_EQ(Invoke(o, 0, good), 0);
    EXPECT_EQ(good.result.written, std::optional<std::int16_t>(1));
    jni.setInquiryUrlThrows = true;
    FakeFrame bad({FakeValue::String(runtime.String(u"nonsense"))});
    EXPECT_EQ(Invoke(o, 0, bad), 0);
    EXPECT_EQ(bad.result.written, std::optional<std::int16_t>(-1));
    EXPECT_EQ(jni.urls, (std::vector<std::u16string>{u"http://localhost:1/inquiry", u"nonsense"}));
    o->DestroyObject();
}

TEST_F(UddiObjectTest, DestructionReleasesTheVmFirstThenDeletesTheBridgesReferences) {
    rt::NativeObject* o = Create();
    FakeFrame options(
        {FakeValue::Boolean(true), FakeValue::Boolean(true), FakeValue::Int(1), FakeValue::Int(5)});
    EXPECT_EQ(Invoke(o, 1, options), 0);
    EXPECT_GT(jni.liveLocalRefs(), 0);
    o->DestroyObject();
    EXPECT_EQ(host.releases, 1);
    EXPECT_EQ(jni.liveLocalRefs(), 0);
    const auto release = std::find(jni.calls.begin(), jni.calls.end(), "Release");
    ASSERT_NE(release, jni.calls.end());
    EXPECT_EQ(std::count(release, jni.calls.end(), "DeleteLocalRef"), 3 + 8);
}

} // namespace
} // namespace kf::uddi::test
