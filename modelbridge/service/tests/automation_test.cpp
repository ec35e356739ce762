// The caller's rules over any object: empty for unknown names and absent objects, the
// callee's description or message 40602 for failures, values passed through unchanged.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "kf/model/automation.h"
#include "kf/model/names.h"

namespace kf::model {
namespace {

// Knows "Slot" (any value), "Fail" (fails with the text of its argument) and "Args".
class Probe : public AutoObject {
public:
    bool HasMember(std::u16string_view m) override {
        return EqualsNoCase(m, u"Slot") || EqualsNoCase(m, u"Fail") || EqualsNoCase(m, u"Args");
    }
    InvokeResult Invoke(std::u16string_view m, InvokeKind kind,
                        std::span<const Value> args) override {
        calls.push_back({std::u16string(m), kind, {args.begin(), args.end()}});
        if (EqualsNoCase(m, u"Slot")) {
            if (kind == InvokeKind::Put)
                slot = args[0];
            return InvokeResult::Ok(slot);
        }
        if (EqualsNoCase(m, u"Fail"))
            return InvokeResult::Fail(args.empty() ? u"" : args[0].AsString());
        if (EqualsNoCase(m, u"Args"))
            return InvokeResult::Ok(static_cast<std::int32_t>(args.size()));
        return InvokeResult::Unknown();
    }
    struct Seen {
        std::u16string member;
        InvokeKind kind;
        std::vector<Value> args;
    };
    std::vector<Seen> calls;
    Value slot;
};

TEST(Automation, EveryValueKindPassesThroughPutGetAndCall) {
    auto probe = std::make_shared<Probe>();
    auto other = std::make_shared<Probe>();
    const Value values[] = {Value(),
                            Value(true),
                            Value(false),
                            Value(std::int32_t(-7)),
                            Value(std::uint32_t(0xFFFFFFFF)),
                            Value(u"t\u00e9xt"),
                            Value(other)};
    for (const Value& v : values) {
        Put(probe, u"Slot", v);
        EXPECT_EQ(Get(probe, u"Slot"), v);
        EXPECT_EQ(Call(probe, u"Slot"), v);
        EXPECT_EQ(Get(probe, u"Slot").kind(), v.kind());
    }
}

TEST(Automation, UnknownNamesAndAbsentObjectsGiveEmpty) {
    auto probe = std::make_shared<Probe>();
    EXPECT_TRUE(Get(probe, u"Nothing").IsEmpty());
    EXPECT_TRUE(Call(probe, u"Nothing", {Value(1)}).IsEmpty());
    EXPECT_NO_THROW(Put(probe, u"Nothing", Value(1)));
    ObjectRef none;
    EXPECT_TRUE(Get(none, u"Slot").IsEmpty());
    EXPECT_NO_THROW(Put(none, u"Slot", Value(1)));
    // An object slot without an object is as absent as an empty value.
    EXPECT_TRUE(Value(ObjectRef()).IsEmpty());
    EXPECT_EQ(Value(ObjectRef()).kind(), Value::Kind::Object);
}

TEST(Automation, FailuresCarryTheDescriptionOr40602) {
    auto probe = std::make_shared<Probe>();
    try {
        Call(probe, u"Fail", {Value(u"Model is read-only")});
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Description(), u"Model is read-only");
        EXPECT_EQ(e.MessageId(), 0);
        EXPECT_EQ(e.Member(), u"Fail");
    }
    try {
        Call(probe, u"Fail");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Description(), u"Unexpected Error");
        EXPECT_EQ(e.MessageId(), 40602);
    }
}

TEST(Automation, ArgumentsArriveInOrderAndPutIsOneArgument) {
    auto probe = std::make_shared<Probe>();
    EXPECT_EQ(Call(probe, u"Args", {Value(1), Value(u"two"), Value(true)}).AsInt(), 3);
    ASSERT_EQ(probe->calls.back().args.size(), 3u);
    EXPECT_EQ(probe->calls.back().args[0], Value(1));
    EXPECT_EQ(probe->calls.back().args[1], Value(u"two"));
    EXPECT_EQ(probe->calls.back().args[2], Value(true));
    Put(probe, u"SLOT", Value(5));
    EXPECT_EQ(probe->calls.back().kind, InvokeKind::Put);
    EXPECT_EQ(probe->calls.back().args.size(), 1u);
}

TEST(Automation, LenientReaders) {
    EXPECT_EQ(Value(true).AsInt(), 1);
    EXPECT_EQ(Value(std::uint32_t(3)).AsInt(), 3);
    EXPECT_EQ(Value(std::int32_t(-1)).AsUInt(), 0xFFFFFFFFu);
    EXPECT_EQ(Value(std::int32_t(42)).AsString(), u"42");
    EXPECT_EQ(Value(u"x").AsInt(), 0);
    EXPECT_FALSE(Value().AsBool());
    EXPECT_EQ(Value(1).AsObject(), nullptr);
}

TEST(Names, CaseIsIgnoredSoTheSpellingPairsAreOneMember) {
    EXPECT_TRUE(EqualsNoCase(u"Filename", u"FileName"));
    EXPECT_TRUE(EqualsNoCase(u"Stereotype", u"StereoType"));
    EXPECT_TRUE(EqualsNoCase(u"C:\\\u00c9t\u00e9.OOM", u"c:\\\u00e9T\u00c9.oom"));
    EXPECT_FALSE(EqualsNoCase(u"Name", u"Names"));
    EXPECT_FALSE(EqualsNoCase(u"\u00d7", u"\u00f7")); // multiplication and division signs
}

} // namespace
} // namespace kf::model
