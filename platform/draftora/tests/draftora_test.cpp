// The tool as the plug-in drives it: by member name through the automation layer.
#include <gtest/gtest.h>

#include <filesystem>

#include "kf/draftora/tool.h"
#include "kf/model/automation.h"

namespace kf::draftora {
namespace {

using kf::model::AutomationError;
using kf::model::Call;
using kf::model::Get;
using kf::model::Put;

class DraftoraTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kf-draftora-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        app = Get(tool.Plugout(), u"Application").AsObject();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::u16string File(const char* name) {
        auto s = (dir / name).u8string();
        return {s.begin(), s.end()};
    }
    ObjectRef Item(const ObjectRef& collection, int i) {
        return Call(collection, u"Item", {i}).AsObject();
    }
    int Count(const ObjectRef& collection) { return Get(collection, u"Count").AsInt(); }

    std::filesystem::path dir;
    Tool tool;
    ObjectRef app;
};

// The steps of a new model with its application class.
TEST_F(DraftoraTest, NewModelWithPackageClassAndSymbols) {
    auto model = Call(app, u"CreateModel",
                      {Value(kModelClass), u"|Language=Kestrelforge|Diagram=ClassDiagram", 1})
                     .AsObject();
    ASSERT_TRUE(model);
    EXPECT_EQ(Get(Get(model, u"ObjectLanguage").AsObject(), u"Name").AsString(), u"Kestrelforge");
    EXPECT_EQ(Get(app, u"ActiveModel").AsObject(), model);
    auto diagram = Get(model, u"DefaultDiagram").AsObject();
    EXPECT_TRUE(Call(diagram, u"IsKindOf", {kDiagramClass}).AsBool());
    EXPECT_FALSE(Call(diagram, u"IsKindOf", {kModelClass}).AsBool());
    auto package = Call(diagram, u"ConvertToPackage").AsObject();
    Put(package, u"Name", u"Orders");
    Put(package, u"Code", u"orders");
    auto cls = Call(package, u"CreateObject", {kClassClass, u"", -1, 1}).AsObject();
    EXPECT_EQ(Get(cls, u"ClassKind").AsInt(), kClassClass);
    Put(cls, u"Code", u"app");
    Put(cls, u"StereoType", u"application"); // the other spelling of Stereotype
    EXPECT_EQ(Get(cls, u"Stereotype").AsString(), u"application");
    auto attr = Call(cls, u"CreateObject", {kAttributeClass, u"", -1, 1}).AsObject();
    Put(attr, u"DataType", u"string");
    auto op = Call(cls, u"CreateObject", {kOperationClass, u"", -1, 1}).AsObject();
    Put(op, u"ReturnType", u"integer");
    EXPECT_THROW(Call(package, u"CreateObject", {kAttributeClass, u"", -1, 1}), AutomationError);

    auto packageSymbol = Call(diagram, u"AttachObject", {package}).AsObject();
    auto pdiagram = Get(package, u"DefaultDiagram").AsObject();
    auto classSymbol = Call(pdiagram, u"AttachObject", {cls}).AsObject();
    EXPECT_EQ(Call(pdiagram, u"AttachObject", {cls}).AsObject(), classSymbol); // once only
    EXPECT_EQ(Get(packageSymbol, u"Object").AsObject(), package);
    EXPECT_EQ(Get(classSymbol, u"Code").AsString(), u"app");
    EXPECT_THROW(Call(diagram, u"CenterAndScaleView", {classSymbol, 100}), AutomationError);
    Call(pdiagram, u"CenterAndScaleView", {classSymbol, 100});
    EXPECT_EQ(Get(app, u"ActiveDiagram").AsObject(), pdiagram);
    auto selection = Get(app, u"ActiveSelection").AsObject();
    ASSERT_EQ(Count(selection), 1);
    EXPECT_EQ(Item(selection, 0), cls);

    // Saved and opened again in a fresh tool: the same structure.
    EXPECT_TRUE(Call(model, u"Save", {File("new.oom"), 0}).AsBool());
    EXPECT_EQ(Get(model, u"FileName").AsString(), File("new.oom"));
    Tool other;
    auto reopened =
        Call(Get(other.Plugout(), u"Application").AsObject(), u"OpenModel", {File("new.oom"), 1})
            .AsObject();
    auto p2 = Item(Get(reopened, u"Packages").AsObject(), 0);
    auto c2 = Item(Get(p2, u"Classes").AsObject(), 0);
    EXPECT_EQ(Get(c2, u"Stereotype").AsString(), u"application");
    EXPECT_EQ(Get(Item(Get(c2, u"Operations").AsObject(), 0), u"ReturnType").AsString(),
              u"integer");
    auto s2 = Item(Get(Get(p2, u"DefaultDiagram").AsObject(), u"Symbols").AsObject(), 0);
    EXPECT_EQ(Get(s2, u"Object").AsObject(), c2);
}

TEST_F(DraftoraTest, CollectionsCountItemFromZeroAndRemove) {
    auto model = Call(app, u"CreateModel", {Value(kModelClass), u"", 1}).AsObject();
    auto diagram = Get(model, u"DefaultDiagram").AsObject();
    auto package = Call(diagram, u"ConvertToPackage").AsObject();
    auto pdiagram = Get(package, u"DefaultDiagram").AsObject();
    ObjectRef classes[3];
    for (auto& c : classes) {
        c = Call(package, u"CreateObject", {kClassClass, u"", -1, 1}).AsObject();
        Call(pdiagram, u"AttachObject", {c});
    }
    auto list = Call(package, u"GetCollection", {u"Classes"}).AsObject();
    ASSERT_EQ(Count(list), 3);
    EXPECT_EQ(Item(list, 0), classes[0]);
    EXPECT_EQ(Item(list, 2), classes[2]);
    EXPECT_THROW(Item(list, 3), AutomationError);
    EXPECT_THROW(Item(list, -1), AutomationError);
    EXPECT_TRUE(Call(list, u"Remove", {classes[1], true}).AsBool());
    EXPECT_FALSE(Call(list, u"Remove", {classes[1], true}).AsBool());
    EXPECT_EQ(Count(list), 2);
    EXPECT_EQ(Item(list, 1), classes[2]);
    // The removed class's symbol goes with it.
    auto symbols = Get(pdiagram, u"Symbols").AsObject();
    ASSERT_EQ(Count(symbols), 2);
    EXPECT_EQ(Get(Item(symbols, 1), u"Object").AsObject(), classes[2]);

    // Workspace children: "filename" and Close; Remove after Close finds nothing.
    EXPECT_TRUE(Call(model, u"Save", {File("a.oom"), 0}).AsBool());
    auto children = Get(Get(app, u"ActiveWorkspace").AsObject(), u"Children").AsObject();
    ASSERT_EQ(Count(children), 1);
    auto child = Item(children, 0);
    EXPECT_EQ(Get(child, u"filename").AsString(), File("a.oom"));
    Call(child, u"Close");
    EXPECT_FALSE(Call(children, u"Remove", {child, true}).AsBool());
    EXPECT_EQ(Count(children), 0);
    EXPECT_EQ(Count(Get(app, u"Models").AsObject()), 0);
    EXPECT_EQ(Get(app, u"ActiveModel").AsObject(), nullptr);
}

TEST_F(DraftoraTest, WorkspaceAddsDocumentsAtPositionsAndOpensEachModelOnce) {
    for (const char* name : {"a.oom", "b.oom"}) {
        auto m = Call(app, u"CreateModel", {Value(kModelClass), u"", 1}).AsObject();
        Call(m, u"Save", {File(name), 0});
    }
    auto workspace = Get(app, u"ActiveWorkspace").AsObject();
    Call(workspace, u"Close");
    EXPECT_EQ(Count(Get(app, u"Models").AsObject()), 0);
    Call(workspace, u"AddDocument", {File("b.oom"), 0});
    Call(workspace, u"AddDocument", {File("a.oom"), 0});
    auto children = Get(workspace, u"Children").AsObject();
    ASSERT_EQ(Count(children), 2);
    EXPECT_EQ(Get(Item(children, 0), u"filename").AsString(), File("a.oom"));
    // Same file in another letter case: the open model.
    Call(app, u"OpenModel", {File("A.OOM"), 1});
    EXPECT_EQ(Count(Get(app, u"Models").AsObject()), 2);
    EXPECT_THROW(Call(workspace, u"AddDocument", {File("missing.oom"), 2}), AutomationError);
}

// A recording stand-in for the plug-in's workspace event sink.
class Sink : public AutoObject {
public:
    bool HasMember(std::u16string_view) override { return true; }
    InvokeResult Invoke(std::u16string_view m, InvokeKind, std::span<const Value> a) override {
        calls.push_back(std::u16string(m));
        if (!a.empty())
            last = a[0];
        return m == u"OnOpenModel" ? InvokeResult::Fail(u"E_NOTIMPL") : InvokeResult::Ok();
    }
    std::vector<std::u16string> calls;
    Value last;
};

TEST_F(DraftoraTest, StartUpMembersAndSinkCallbacks) {
    EXPECT_EQ(Get(tool.Plugout(), u"Version").AsString(), kDefaultVersion);
    EXPECT_FALSE(Get(app, u"RegistryHome").AsString().empty());
    auto client = Get(app, u"ExternalClientAdapter").AsObject();
    auto events = Get(client, u"ExternalEventSinkAdapter").AsObject();
    auto layout = Get(client, u"ExternalLayoutManagerAdapter").AsObject();
    ASSERT_TRUE(events && layout);
    auto sink = std::make_shared<Sink>();
    Put(events, u"WorkspaceEventSink", sink);
    Put(layout, u"LayoutManager", sink);
    EXPECT_EQ(Get(layout, u"LayoutManager").AsObject(), sink);
    Call(tool.Plugout(), u"Connect",
         {sink, std::uint32_t(0x1234), 139, sink, ObjectRef(), ObjectRef()});

    auto model = Call(app, u"CreateModel", {Value(kModelClass), u"", 1}).AsObject();
    Call(model, u"Save", {File("m.oom"), 0});
    Call(Item(Get(Get(app, u"ActiveWorkspace").AsObject(), u"Children").AsObject(), 0), u"Close");
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0], u"OnCloseModel");
    EXPECT_EQ(sink->last.AsObject(), model);
    Call(app, u"OpenModel", {File("m.oom"), 1});
    EXPECT_EQ(sink->calls.back(), u"OnOpenModel"); // its failure does not stop the tool

    const auto& lines = tool.journal().Lines();
    auto has = [&](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has("Plugout.Connect call(object, 4660u, 139, object, null, null) -> empty"));
    EXPECT_TRUE(has("EventSinkAdapter.WorkspaceEventSink put(object) -> empty"));
    EXPECT_TRUE(has("callback WorkspaceEventSink.OnCloseModel call(Model(m.oom)) -> empty"));
    EXPECT_TRUE(
        has("callback WorkspaceEventSink.OnOpenModel call(Model(m.oom)) -> error \"E_NOTIMPL\""));
}

TEST_F(DraftoraTest, MemberNamesIgnoreCaseAndUnknownNamesAreJournaled) {
    EXPECT_TRUE(app->HasMember(u"activemodel"));
    EXPECT_FALSE(app->HasMember(u"Disconnect"));
    EXPECT_TRUE(Get(app, u"NoSuchMember").IsEmpty());
    EXPECT_EQ(tool.journal().Lines().back(), "Application.NoSuchMember get() -> unknown");
    auto model = Call(app, u"createmodel", {Value(kModelClass), u"", 1}).AsObject();
    Put(model, u"FILENAME", u"x.oom");
    EXPECT_EQ(Get(model, u"Filename").AsString(), u"x.oom");
    EXPECT_THROW(Put(model, u"Packages", 1), AutomationError); // read-only
}

} // namespace
} // namespace kf::draftora
