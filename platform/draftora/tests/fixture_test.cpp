// Fault switches and starting state from the fixture file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "kf/draftora/tool.h"

namespace kf::draftora {
namespace {

using kf::model::AutomationError;
using kf::model::Call;
using kf::model::Get;

class FixtureTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kf-draftora-fx-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(
            std::filesystem::path(KF_DRAFTORA_TEST_DATA) / "models/sales.oom", dir / "sales.oom",
            std::filesystem::copy_options::overwrite_existing);
    }
    void TearDown() override {
        unsetenv("KF_DRAFTORA_FIXTURE");
        std::filesystem::remove_all(dir);
    }
    std::string Write(const std::string& text) {
        auto f = dir / "tool.fixture";
        std::ofstream(f, std::ios::binary | std::ios::trunc) << text;
        return f.string();
    }
    std::string Model() { return (dir / "sales.oom").string(); }
    std::filesystem::path dir;
};

TEST_F(FixtureTest, SwitchesComeFromTheFileTheVariableNames) {
    setenv("KF_DRAFTORA_FIXTURE",
           Write("# tool too old, no Disconnect\n"
                 "version 9.5.0.1200\n"
                 "unknown Plugout.Disconnect\n"
                 "unknown Application.ExternalClientAdapter\n"
                 "fail Model.Save \"Disk is full\"\n"
                 "fail *.OpenView\n"
                 "open \"" +
                 Model() +
                 "\"\n"
                 "ext \"" +
                 Model() +
                 "\" orders LibraryPath \"D:\\\\lib\\\\o.kfl\"\n"
                 "active-diagram \"" +
                 Model() +
                 "\" orders\n"
                 "select \"" +
                 Model() + "\" orders w_order sales\n")
               .c_str(),
           1);
    Tool tool;
    ASSERT_EQ(tool.FixtureError(), "");
    auto plugout = tool.Plugout();
    auto app = Get(plugout, u"Application").AsObject();
    EXPECT_EQ(Get(plugout, u"Version").AsString(), u"9.5.0.1200");
    EXPECT_FALSE(plugout->HasMember(u"disconnect"));
    EXPECT_TRUE(Call(plugout, u"Disconnect").IsEmpty());
    EXPECT_TRUE(Get(app, u"ExternalClientAdapter").IsEmpty());

    auto model = Get(app, u"ActiveModel").AsObject();
    ASSERT_TRUE(model);
    try {
        Call(model, u"Save", {u"", 0});
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Description(), u"Disk is full");
    }
    auto diagram = Get(app, u"ActiveDiagram").AsObject();
    ASSERT_TRUE(diagram);
    try {
        Call(diagram, u"OpenView");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.MessageId(), 40602); // a failure without a description
    }
    auto symbol = Call(Get(diagram, u"Symbols").AsObject(), u"Item", {0}).AsObject();
    auto package = Call(symbol, u"GetPackage").AsObject();
    EXPECT_EQ(Call(package, u"GetExtendedAttribute", {u"LibraryPath"}).AsString(),
              u"D:\\lib\\o.kfl");
    auto selection = Get(app, u"ActiveSelection").AsObject();
    ASSERT_EQ(Get(selection, u"Count").AsInt(), 2);
    EXPECT_EQ(Get(Call(selection, u"Item", {0}).AsObject(), u"Code").AsString(), u"w_order");

    // Rewritten while the tool runs: the new switches apply at the next call.
    Write("version 10.0.0.1049\n");
    EXPECT_EQ(Get(plugout, u"Version").AsString(), u"10.0.0.1049");
    EXPECT_TRUE(plugout->HasMember(u"Disconnect"));
    EXPECT_TRUE(Call(model, u"Save", {u"", 0}).AsBool());
}

TEST_F(FixtureTest, MalformedFixturesNameTheFileAndLine) {
    struct Case {
        std::string text;
        std::string error;
    } cases[] = {
        {"frobnicate x\n", ":1: unknown line kind 'frobnicate'"},
        {"\n\nversion\n", ":3: expected: version <text>"},
        {"fail Save\n", ":1: expected Kind.Member, got Save"},
        {"unknown Plugout.\n", ":1: expected Kind.Member"},
        {"version \"10.0\n", ":1: unterminated quoted text"},
        {"open \"" + (dir / "none.oom").string() + "\"\n", ":1: "},
        {"active-diagram \"" + Model() + "\" nopkg\n", ":1: no package nopkg"},
        {"select \"" + Model() + "\" orders nocls\n", ":1: no class nocls"},
    };
    for (const auto& c : cases) {
        auto file = Write(c.text);
        setenv("KF_DRAFTORA_FIXTURE", file.c_str(), 1);
        Tool tool;
        EXPECT_EQ(tool.FixtureError().rfind(file + c.error, 0), 0u)
            << "got: " << tool.FixtureError() << "\nwanted: " << file << c.error;
    }
    // A broken model named by the fixture: both files are named.
    std::ofstream(dir / "bad.oom", std::ios::binary) << "draftora-model 1\nmodel x\n";
    auto file = Write("\nopen \"" + (dir / "bad.oom").string() + "\"\n");
    setenv("KF_DRAFTORA_FIXTURE", file.c_str(), 1);
    Tool tool;
    EXPECT_NE(tool.FixtureError().find(file + ":2: "), std::string::npos) << tool.FixtureError();
    EXPECT_NE(tool.FixtureError().find("bad.oom:2: expected key=value"), std::string::npos)
        << tool.FixtureError();
}

} // namespace
} // namespace kf::draftora
