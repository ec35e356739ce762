// The automation layer against the modelling tool: the same cases in both lanes.
#include <gtest/gtest.h>

#include "kf/model/automation.h"
#include "toolharness.h"

namespace kf::model {
namespace {

using testing::Harness;

constexpr std::int32_t kModelClass = 0x18112060;
constexpr std::int32_t kClassClass = 0x18112063;

class ToolDrive : public ::testing::Test {
protected:
    void SetUp() override {
        Harness().SetFixture("");
        plugout = Harness().Plugout();
        ASSERT_TRUE(plugout);
        app = Get(plugout, u"Application").AsObject();
        ASSERT_TRUE(app);
    }
    ObjectRef NewClass() {
        auto model = Call(app, u"CreateModel",
                          {Value(kModelClass), u"|Language=Kestrelforge|Diagram=ClassDiagram", 1})
                         .AsObject();
        auto package =
            Call(Get(model, u"DefaultDiagram").AsObject(), u"ConvertToPackage").AsObject();
        return Call(package, u"CreateObject", {kClassClass, u"", -1, 1}).AsObject();
    }
    bool Journaled(const std::string& text) {
        for (const auto& l : Harness().Journal())
            if (l.find(text) != std::string::npos)
                return true;
        return false;
    }
    ObjectRef plugout, app;
};

TEST_F(ToolDrive, EveryValueKindThroughPutGetAndCall) {
    auto cls = NewClass();
    auto other = NewClass();
    const Value values[] = {Value(),
                            Value(true),
                            Value(false),
                            Value(std::int32_t(-2147483647 - 1)),
                            Value(std::int32_t(42)),
                            Value(std::uint32_t(0xFFFFFFFFu)),
                            Value(u""),
                            Value(u"caf\u00e9 \u4e2d \U0001F600"),
                            Value(std::u16string(u"nul\0inside", 10)),
                            Value(other),
                            Value(ObjectRef())};
    for (const Value& v : values) {
        SCOPED_TRACE(static_cast<int>(v.kind()));
        Put(cls, u"Header", v);
        EXPECT_EQ(Get(cls, u"Header"), v);
        EXPECT_EQ(Call(cls, u"Header"), v);
    }
    // Objects come back as the same object, and work.
    Put(cls, u"Header", Value(other));
    auto back = Get(cls, u"Header").AsObject();
    EXPECT_EQ(back, other);
    EXPECT_EQ(Get(back, u"ClassKind").AsInt(), kClassClass);
}

TEST_F(ToolDrive, UnknownNamesGiveEmpty) {
    auto cls = NewClass();
    EXPECT_TRUE(Get(cls, u"NoSuchMember").IsEmpty());
    EXPECT_TRUE(Call(cls, u"NoSuchMember", {Value(1), Value(u"x")}).IsEmpty());
    EXPECT_NO_THROW(Put(cls, u"NoSuchMember", Value(1)));
    EXPECT_FALSE(cls->HasMember(u"NoSuchMember"));
    // A member the fixture says the tool does not know.
    Harness().SetFixture("unknown Plugout.Disconnect\n");
    EXPECT_FALSE(plugout->HasMember(u"Disconnect"));
    EXPECT_TRUE(Call(plugout, u"Disconnect").IsEmpty());
    Harness().SetFixture("");
    EXPECT_TRUE(plugout->HasMember(u"Disconnect"));
}

TEST_F(ToolDrive, FailuresGiveTheDescriptionOr40602) {
    auto cls = NewClass();
    struct Case {
        const char* fixture;
        std::u16string text;
        int id;
    } cases[] = {
        {"fail Class.Code \"The object is checked in\"\n", u"The object is checked in", 0},
        {"fail Class.Code\n", u"Unexpected Error", 40602},
        {"fail *.code \"Any kind, any case\"\n", u"Any kind, any case", 0},
    };
    for (const auto& c : cases) {
        Harness().SetFixture(c.fixture);
        for (InvokeKind kind : {InvokeKind::Get, InvokeKind::Put, InvokeKind::Call}) {
            try {
                if (kind == InvokeKind::Put)
                    Put(cls, u"Code", u"x");
                else if (kind == InvokeKind::Get)
                    Get(cls, u"Code");
                else
                    Call(cls, u"Code");
                ADD_FAILURE() << c.fixture;
            } catch (const AutomationError& e) {
                EXPECT_EQ(e.Description(), c.text) << c.fixture;
                EXPECT_EQ(e.MessageId(), c.id) << c.fixture;
            }
        }
    }
    // A failure of the tool's own making (index out of range) has its description.
    Harness().SetFixture("");
    try {
        Call(Get(app, u"Models").AsObject(), u"Item", {Value(100000)});
        ADD_FAILURE();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Description(), u"Index out of range");
    }
}

TEST_F(ToolDrive, NamesInAnyLetterCaseAndBothSpellings) {
    auto cls = NewClass();
    Put(cls, u"StereoType", u"window");
    EXPECT_EQ(Get(cls, u"Stereotype").AsString(), u"window");
    EXPECT_EQ(Get(cls, u"STEREOTYPE").AsString(), u"window");
    auto model = Get(app, u"ActiveModel").AsObject();
    Put(model, u"FileName", u"C:\\models\\m.oom");
    EXPECT_EQ(Get(model, u"Filename").AsString(), u"C:\\models\\m.oom");
    EXPECT_EQ(Get(model, u"filename").AsString(), u"C:\\models\\m.oom");
    EXPECT_EQ(Get(plugout, u"version").AsString(), Get(plugout, u"Version").AsString());
}

TEST_F(ToolDrive, ArgumentsArriveInOrder) {
    Harness().ClearJournal();
    auto model = Call(app, u"CreateModel",
                      {Value(kModelClass), u"|Language=Kestrelforge|Diagram=ClassDiagram", 1})
                     .AsObject();
    ASSERT_TRUE(model);
    EXPECT_TRUE(Journaled("Application.CreateModel call(403775584, "
                          "\"|Language=Kestrelforge|Diagram=ClassDiagram\", 1) -> Model("));
    // Six arguments of mixed kinds, with null objects.
    Harness().ClearJournal();
    Call(plugout, u"Connect",
         {Value(app), Value(std::uint32_t(0x10)), Value(139), Value(app), Value(ObjectRef()),
          Value(ObjectRef())});
    EXPECT_TRUE(Journaled("Plugout.Connect call(Application, 16u, 139, Application, null, null)"))
        << (Harness().Journal().empty() ? "" : Harness().Journal().back());
    EXPECT_EQ(Get(Get(model, u"ObjectLanguage").AsObject(), u"Name").AsString(), u"Kestrelforge");
}

TEST_F(ToolDrive, TenThousandCallsDoNotGrow) {
    Harness().SetFixture("journal off\nfail Class.Comment \"Locked\"\n");
    auto cls = NewClass();
    auto models = Get(app, u"Models").AsObject();
    auto round = [&](int n) {
        for (int i = 0; i < n; ++i) {
            Put(cls, u"Name", u"some text that needs a string of its own");
            Get(cls, u"Name");
            Call(models, u"Item", {Value(0)});
            Get(app, u"ActiveModel");
            Get(cls, u"NoSuchMember");
            try {
                Get(cls, u"Comment");
            } catch (const AutomationError&) {
            }
        }
    };
    round(1000);
    auto before = Harness().Measure();
    round(10000);
    auto after = Harness().Measure();
    EXPECT_EQ(after.objects, before.objects);
    EXPECT_LE(after.handles, before.handles);
    EXPECT_LE(after.bytes - before.bytes, Harness().ByteSlack());
    Harness().SetFixture("");
}

} // namespace
} // namespace kf::model
