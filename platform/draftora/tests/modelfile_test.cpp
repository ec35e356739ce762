#include <gtest/gtest.h>

#include <filesystem>

#include "kf/draftora/modelfile.h"
#include "kf/draftora/tool.h"

namespace kf::draftora {
namespace {

using kf::model::Call;
using kf::model::Get;

std::string Sample() {
    return ReadTextFile(std::filesystem::path(KF_DRAFTORA_TEST_DATA) / "models/sales.oom");
}

TEST(ModelFile, ReadsTheObjectsAndTheirValues) {
    Tool tool;
    auto model = ReadModel(tool, Sample(), "sales.oom");
    EXPECT_EQ(Get(model, u"Name").AsString(), u"Sales");
    EXPECT_EQ(Get(Get(model, u"ObjectLanguage").AsObject(), u"Name").AsString(), u"Kestrelforge");
    EXPECT_EQ(Call(model, u"GetExtendedAttribute", {u"TargetPath"}).AsString(),
              u"C:\\work\\sales.kft");
    auto package = Call(Get(model, u"Packages").AsObject(), u"Item", {0}).AsObject();
    auto classes = Get(package, u"Classes").AsObject();
    ASSERT_EQ(Get(classes, u"Count").AsInt(), 2);
    auto app = Call(classes, u"Item", {0}).AsObject();
    EXPECT_EQ(Get(app, u"InitialValue").kind(), Value::Kind::Empty);
    auto attr = Call(Get(app, u"Attributes").AsObject(), u"Item", {0}).AsObject();
    EXPECT_EQ(Get(attr, u"InitialValue").AsString(), u"\"sales\"");
    EXPECT_EQ(Call(app, u"EvaluateTemplate", {u"definition", app}).AsString(),
              u"global type sales from application\r\nend type");
    auto window = Call(classes, u"Item", {1}).AsObject();
    EXPECT_EQ(Get(window, u"Generated"), Value(false));
    EXPECT_EQ(Get(window, u"Count"), Value()); // not a member of classes: kept, not served
    auto symbols = Get(Get(package, u"DefaultDiagram").AsObject(), u"Symbols").AsObject();
    ASSERT_EQ(Get(symbols, u"Count").AsInt(), 2);
    auto symbol = Call(symbols, u"Item", {1}).AsObject();
    EXPECT_EQ(Get(symbol, u"Object").AsObject(), window);
    EXPECT_EQ(Get(symbol, u"ObjectLocation").AsString(), u"<Model>::Orders");
    EXPECT_EQ(Get(Call(symbol, u"GetPackage").AsObject(), u"Code").AsString(), u"orders");
}

TEST(ModelFile, SaveThenOpenGivesTheSameModel) {
    Tool tool;
    auto model = ReadModel(tool, Sample(), "sales.oom");
    std::string once = WriteModel(*model);
    Tool other;
    auto again = ReadModel(other, once, "saved.oom");
    EXPECT_EQ(WriteModel(*again), once);
    // Every value kind survives, including the ones no member serves.
    for (auto key : {"Count=3", "Flags=4294967295u", "Delta=-12", "Generated=false",
                     "InitialValue=\"\\\"sales\\\"\"",
                     "value=\"global type sales from "
                     "application\\r\\nend type\""})
        EXPECT_NE(once.find(key), std::string::npos) << key;
}

TEST(ModelFile, MalformedFilesNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "m.oom:0: empty model file"},
        {"model Name=\"x\"\n", "m.oom:1: not a model file"},
        {"draftora-model 2\n", "m.oom:1: unsupported model file version 2"},
        {"draftora-model 1\npackage id=1\n", "m.oom:2: expected 'model' at the top level"},
        {"draftora-model 1\nmodel\n  class id=1\n", "m.oom:3: 'class' cannot appear in 'model'"},
        {"draftora-model 1\nmodel\n   package\n", "m.oom:3: indentation must be"},
        {"draftora-model 1\nmodel\n\tpackage\n", "m.oom:3: tabs are not allowed"},
        {"draftora-model 1\nmodel\n    package\n", "m.oom:3: indented too deep"},
        {"draftora-model 1\nmodel Name=\"open\n", "m.oom:2: unterminated quoted text"},
        {"draftora-model 1\nmodel Name=\"a\\qb\"\n", "m.oom:2: unknown escape"},
        {"draftora-model 1\nmodel Name=maybe\n", "m.oom:2: bad value 'maybe'"},
        {"draftora-model 1\nmodel N=9999999999\n", "m.oom:2: number out of range"},
        {"draftora-model 1\nmodel Name\n", "m.oom:2: expected key=value"},
        {"draftora-model 1\nmodel\n  package id=1\n  package id=1\n", "m.oom:4: id 1 is used"},
        {"draftora-model 1\nmodel\n  diagram\n    symbol ref=7\n", "m.oom:4: ref 7 names no"},
        {"draftora-model 1\nmodel\n  diagram\n  diagram\n", "m.oom:4: a second diagram"},
        {"draftora-model 1\nmodel\nmodel\n", "m.oom:3: a second model"},
        {"draftora-model 1\nmodel\n  ext value=\"v\"\n", "m.oom:3: ext without a name"},
        {"draftora-model 1\nmodel\n  ext name=\"a\"\n    ext name=\"b\"\n",
         "m.oom:4: 'ext' cannot appear in 'ext'"},
        {"draftora-model 1\n# only a comment\n", "m.oom:2: no model in the file"},
    };
    for (const auto& c : cases) {
        Tool tool;
        try {
            ReadModel(tool, c.text, "m.oom");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.error, 0), 0u)
                << "got: " << e.what() << "\nwanted: " << c.error;
        }
    }
}

} // namespace
} // namespace kf::draftora
