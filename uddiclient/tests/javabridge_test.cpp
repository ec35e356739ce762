// ProxyImpl against the recording JNI environment: lookups, call sequences, references.
#include "kf/uddi/javabridge.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakejni.h"

namespace kf::uddi::test {
namespace {

class BridgeTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(jni.errors.empty()) << ::testing::PrintToString(jni.errors);
        EXPECT_FALSE(jni.exceptionPending());
        EXPECT_EQ(jni.outstandingStringChars(), 0);
    }
    std::unique_ptr<ProxyImpl> Ready() {
        auto bridge = std::make_unique<ProxyImpl>(jni.env());
        EXPECT_TRUE(bridge->Init());
        return bridge;
    }
    static FakeRecord Business(std::u16string name, Text description, std::u16string key) {
        return FakeRecord{{{"getName", name}, {"getDescription", description}, {"getKey", key}}};
    }
    FakeJni jni;
};

TEST_F(BridgeTest, CreationFindsBothClassesAndTheFiveMethods) {
    auto bridge = Ready();
    EXPECT_TRUE(bridge->classesFound());
    const std::vector<std::string> expected = {
        "FindClass com/tevron/kestrelforge/uddi/IProxy",
        "FindClass com/tevron/kestrelforge/uddi/ProxyImpl",
        "GetMethodID <init>",
        "GetMethodID setInquiryURL",
        "GetMethodID findBusiness",
        "GetMethodID getBusinessDetail",
        "GetMethodID findServiceEx",
        "ExceptionClear",
        "NewObject com/tevron/kestrelforge/uddi/ProxyImpl",
    };
    EXPECT_EQ(jni.calls, expected);
    EXPECT_EQ(jni.liveLocalRefs(), 3); // two classes and the Java proxy object
    EXPECT_TRUE(bridge->Init());       // already created: nothing new
    EXPECT_EQ(jni.Count("NewObject"), 1);
    bridge.reset();
    EXPECT_EQ(jni.liveLocalRefs(), 0);
}

class MissingJavaPart : public BridgeTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(MissingJavaPart, LeavesTheBridgeUnusableWithTheExceptionCleared) {
    const std::string missing = GetParam();
    if (missing.find('/') != std::string::npos) {
        jni.missingClasses.insert(missing);
    } else {
        jni.missingMembers.insert(missing);
    }
    ProxyImpl bridge(jni.env());
    EXPECT_FALSE(bridge.classesFound());
    EXPECT_FALSE(bridge.Init());
    std::vector<BusinessRecord> businesses;
    std::vector<ServiceRecord> services;
    EXPECT_FALSE(bridge.setInquiryURL(u"http://localhost/"));
    EXPECT_FALSE(bridge.setOption(true, true, 1));
    EXPECT_FALSE(bridge.findBusiness(u"a", 5, businesses));
    EXPECT_FALSE(bridge.getBusinessDetail(u"a", 5, services));
    EXPECT_FALSE(bridge.findService(u"a", 5, services));
    EXPECT_EQ(jni.Count("NewObject"), 0);
    EXPECT_TRUE(jni.searches.empty());
}

INSTANTIATE_TEST_SUITE_P(Lookups, MissingJavaPart,
                         ::testing::Values("com/tevron/kestrelforge/uddi/IProxy",
                                           "com/tevron/kestrelforge/uddi/ProxyImpl", "<init>",
                                           "setInquiryURL", "findBusiness", "getBusinessDetail",
                                           "findServiceEx"));

TEST_F(BridgeTest, ConstructorExceptionIsClearedAndInitCanBeRetried) {
    jni.constructorThrows = true;
    ProxyImpl bridge(jni.env());
    EXPECT_TRUE(bridge.classesFound());
    EXPECT_FALSE(bridge.Init());
    EXPECT_FALSE(jni.exceptionPending());
    EXPECT_FALSE(bridge.setInquiryURL(u"http://localhost/"));
    jni.constructorThrows = false;
    EXPECT_TRUE(bridge.Init());
    EXPECT_TRUE(bridge.setInquiryURL(u"http://localhost/"));
}

TEST_F(BridgeTest, SetInquiryUrlPassesTheTextAndReportsAJavaException) {
    auto bridge = Ready();
    const int base = jni.liveLocalRefs();
    EXPECT_TRUE(bridge->setInquiryURL(u"http://h\u00e9:1/inquiry"));
    jni.setInquiryUrlThrows = true;
    EXPECT_FALSE(bridge->setInquiryURL(u"not a url"));
    EXPECT_EQ(jni.urls, (std::vector<std::u16string>{u"http://h\u00e9:1/inquiry", u"not a url"}));
    EXPECT_EQ(jni.liveLocalRefs(), base);
}

struct OptionCase {
    bool exact, caseSensitive;
    std::int32_t sort;
    std::vector<std::u16string> qualifiers;
};

class SetOptionTest : public BridgeTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(SetOptionTest, BuildsTheQualifiersThatTheNextSearchPasses) {
    const auto& c = GetParam();
    auto bridge = Ready();
    std::vector<BusinessRecord> records;
    ASSERT_TRUE(bridge->setOption(c.exact, c.caseSensitive, c.sort));
    ASSERT_TRUE(bridge->findBusiness(u"x", 5, records));
    ASSERT_EQ(jni.searches.size(), 1u);
    EXPECT_TRUE(jni.searches[0].qualifiersPassed);
    EXPECT_EQ(jni.searches[0].qualifiers, c.qualifiers);
}

INSTANTIATE_TEST_SUITE_P(
    Qualifiers, SetOptionTest,
    ::testing::Values(
        OptionCase{true, false, 0, {u"exactNameMatch"}}, OptionCase{false, false, 2, {}},
        OptionCase{false, true, 1, {u"caseSensitiveMatch", u"sortByNameAsc"}},
        OptionCase{true, true, -1, {u"exactNameMatch", u"caseSensitiveMatch", u"sortByNameDesc"}}));

TEST_F(BridgeTest, NoQualifiersObjectBeforeTheFirstSetOption) {
    auto bridge = Ready();
    std::vector<BusinessRecord> records;
    std::vector<ServiceRecord> services;
    ASSERT_TRUE(bridge->findBusiness(u"x", 5, records));
    ASSERT_TRUE(bridge->findService(u"x", 5, services));
    ASSERT_EQ(jni.searches.size(), 2u);
    EXPECT_FALSE(jni.searches[0].qualifiersPassed);
    EXPECT_FALSE(jni.searches[1].qualifiersPassed);
}

TEST_F(BridgeTest, SecondSetOptionDeletesTheFirstOnesReferences) {
    auto bridge = Ready();
    const int base = jni.liveLocalRefs();
    ASSERT_TRUE(bridge->setOption(true, true, 1));
    const int kept = jni.liveLocalRefs() - base;
    EXPECT_EQ(kept, 4 + 1 + 3); // four qualifier texts, the qualifiers object, three qualifiers
    const int deletesBefore = jni.Count("DeleteLocalRef");
    ASSERT_TRUE(bridge->setOption(false, false, 0));
    // All eight kept ones and the two classes of the second call.
    EXPECT_EQ(jni.Count("DeleteLocalRef") - deletesBefore, kept + 2);
    EXPECT_EQ(jni.liveLocalRefs() - base, 4 + 1);
    bridge.reset();
    EXPECT_EQ(jni.liveLocalRefs(), 0);
}

TEST_F(BridgeTest, SetOptionFailsWithoutTheQualifierClassesOrFields) {
    for (const char* missing :
         {"org/uddi4j/util/FindQualifier", "org/uddi4j/util/FindQualifiers"}) {
        FakeJni local;
        local.missingClasses.insert(missing);
        ProxyImpl bridge(local.env());
        ASSERT_TRUE(bridge.Init());
        EXPECT_FALSE(bridge.setOption(true, false, 0)) << missing;
        EXPECT_FALSE(local.exceptionPending());
        EXPECT_TRUE(local.errors.empty()) << ::testing::PrintToString(local.errors);
    }
    jni.missingMembers.insert("sortByNameDesc");
    auto bridge = Ready();
    EXPECT_FALSE(bridge->setOption(true, false, 0));
}

TEST_F(BridgeTest, SetOptionWhoseAddThrowsReportsFailureAndClearsIt) {
    jni.qualifierAddThrows = true;
    auto bridge = Ready();
    EXPECT_FALSE(bridge->setOption(true, false, 0));
    EXPECT_FALSE(jni.exceptionPending());
    std::vector<BusinessRecord> records;
    EXPECT_TRUE(bridge->findBusiness(u"x", 5, records));
    EXPECT_FALSE(jni.searches.back().qualifiersPassed);
}

TEST_F(BridgeTest, FindBusinessConvertsRecordsAndSkipsNullElements) {
    std::u16string withZero = u"ab";
    withZero += u'\0';
    withZero += u"cd";
    jni.results = {Business(u"Acme", u"Tools", u"k1"), FakeRecord{{}, "", true},
                   Business(u"Bolt \u20ac", std::nullopt, u"k2"), Business(withZero, u"", u"k3")};
    auto bridge = Ready();
    const int base = jni.liveLocalRefs();
    std::vector<BusinessRecord> records;
    ASSERT_TRUE(bridge->findBusiness(u"A", 7, records));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, u"Acme");
    EXPECT_EQ(records[0].description, u"Tools");
    EXPECT_EQ(records[0].key, u"k1");
    EXPECT_EQ(records[1].name, u"Bolt \u20ac");
    EXPECT_EQ(records[1].description, u""); // Java null
    EXPECT_EQ(records[2].name, u"ab");      // up to the first zero character
    EXPECT_EQ(jni.searches[0].text, u"A");
    EXPECT_EQ(jni.searches[0].maxRows, 7);
    EXPECT_EQ(jni.liveLocalRefs(), base);
}

TEST_F(BridgeTest, ExceptionDuringASearchIsClearedAndTheNextCallRuns) {
    auto bridge = Ready();
    const int base = jni.liveLocalRefs();
    std::vector<BusinessRecord> records;
    jni.searchThrows = "findBusiness";
    EXPECT_FALSE(bridge->findBusiness(u"x", 5, records));
    EXPECT_EQ(jni.Count("CallObjectMethod getMessage"), 1);
    EXPECT_EQ(jni.Count("CallObjectMethod toString"), 1);
    EXPECT_EQ(jni.liveLocalRefs(), base);
    jni.searchThrows.reset();
    jni.results = {Business(u"Acme", u"", u"k1")};
    EXPECT_TRUE(bridge->findBusiness(u"x", 5, records));
    EXPECT_EQ(records.size(), 1u);

    std::vector<ServiceRecord> services;
    jni.searchThrows = "getBusinessDetail";
    EXPECT_FALSE(bridge->getBusinessDetail(u"k", 5, services));
    EXPECT_TRUE(bridge->findService(u"k", 5, services));
    jni.searchThrows = "findServiceEx";
    EXPECT_FALSE(bridge->findService(u"k", 5, services));
    EXPECT_TRUE(bridge->getBusinessDetail(u"k", 5, services));
    EXPECT_EQ(jni.liveLocalRefs(), base);
}

TEST_F(BridgeTest, ThrowingGetterFailsTheSearchWithoutFurtherCalls) {
    jni.results = {Business(u"A", u"", u"k1"), Business(u"B", u"", u"k2"),
                   Business(u"C", u"", u"k3")};
    jni.results[1].throwingGetter = "getDescription";
    auto bridge = Ready();
    const int base = jni.liveLocalRefs();
    std::vector<BusinessRecord> records;
    EXPECT_FALSE(bridge->findBusiness(u"x", 5, records));
    EXPECT_EQ(jni.liveLocalRefs(), base);
}

TEST_F(BridgeTest, ServiceSearchesReadTheSevenGetters) {
    jni.results = {FakeRecord{{{"getName", u"Quote"},
                               {"getDescription", std::nullopt},
                               {"getServiceKey", u"s1"},
                               {"getBusinessName", u"Acme"},
                               {"getBusinessKey", u"b1"},
                               {"getTModelKey", u"uuid:t1"},
                               {"getWsdl", u"http://acme/quote?wsdl"}}}};
    auto bridge = Ready();
    ASSERT_TRUE(bridge->setOption(true, false, 0));
    const int base = jni.liveLocalRefs();
    std::vector<ServiceRecord> detail, found;
    ASSERT_TRUE(bridge->getBusinessDetail(u"b1", 3, detail));
    ASSERT_TRUE(bridge->findService(u"Qu", 4, found));
    for (const auto* list : {&detail, &found}) {
        ASSERT_EQ(list->size(), 1u);
        const ServiceRecord& r = list->front();
        EXPECT_EQ(r.name, u"Quote");
        EXPECT_EQ(r.description, u"");
        EXPECT_EQ(r.serviceKey, u"s1");
        EXPECT_EQ(r.businessName, u"Acme");
        EXPECT_EQ(r.businessKey, u"b1");
        EXPECT_EQ(r.tModelKey, u"uuid:t1");
        EXPECT_EQ(r.wsdl, u"http://acme/quote?wsdl");
    }
    ASSERT_EQ(jni.searches.size(), 2u);
    EXPECT_EQ(jni.searches[0].method, "getBusinessDetail");
    EXPECT_EQ(jni.searches[0].maxRows, 3);
    EXPECT_EQ(jni.searches[1].method, "findServiceEx");
    EXPECT_EQ(jni.searches[1].qualifiers, std::vector<std::u16string>{u"exactNameMatch"});
    EXPECT_EQ(jni.liveLocalRefs(), base);
}

TEST_F(BridgeTest, NullResultIsAnEmptySuccess) {
    jni.searchReturnsNull = true;
    auto bridge = Ready();
    std::vector<BusinessRecord> records;
    std::vector<ServiceRecord> services;
    EXPECT_TRUE(bridge->findBusiness(u"x", 5, records));
    EXPECT_TRUE(bridge->getBusinessDetail(u"x", 5, services));
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(services.empty());
}

TEST_F(BridgeTest, ManyCallsLeaveNoReferencesBehind) {
    jni.results = {Business(u"A", u"d", u"k1"), Business(u"B", std::nullopt, u"k2")};
    auto bridge = Ready();
    ASSERT_TRUE(bridge->setOption(true, true, 1));
    const int base = jni.liveLocalRefs();
    std::vector<BusinessRecord> records;
    std::vector<ServiceRecord> services;
    for (int i = 0; i < 200; ++i) {
        records.clear();
        services.clear();
        ASSERT_TRUE(bridge->findBusiness(u"x", 5, records));
        ASSERT_TRUE(bridge->findService(u"x", 5, services));
        ASSERT_TRUE(bridge->setInquiryURL(u"http://localhost/"));
    }
    EXPECT_EQ(jni.liveLocalRefs(), base);
}

} // namespace
} // namespace kf::uddi::test
