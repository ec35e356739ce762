#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "kf/pluginhost/settings.h"
#include "kf/pluginhost/store.h"

namespace kf::pluginhost {
namespace {

namespace fs = std::filesystem;

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kf-store-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "lib");
        data = fs::path(KF_PLUGINHOST_TEST_DATA);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir, data;
};

TEST_F(StoreTest, TargetFileKeepsTheTemplateLinesAndAttributes) {
    auto t = Target::Load(data / "sales.kft");
    EXPECT_EQ(t.GetProperty(u"appname"), u"sales");
    EXPECT_EQ(t.GetProperty(u"APPLIB"), u"orders.kfl");
    EXPECT_EQ(t.GetProperty(u"liblist"), u"orders.kfl;lib\\shared.kfl");
    EXPECT_EQ(t.GetAttribute(u"OOMPath"), u"C:\\models\\sales.oom");
    EXPECT_EQ(t.GetAttribute(u"missing"), u"");
    // Written back byte for byte.
    std::ifstream in(data / "sales.kft", std::ios::binary);
    std::string original((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(t.Text(), original);

    // A new target: the five lines, then our attribute lines.
    auto n = Target::Create(dir / "app.kft", u"app", u"app.kfl");
    n.SetAttribute(u"oompath", u"C:\\m\\app.oom");
    n.SetLibrarySearchPath(u"C:\\a;C:\\b");
    EXPECT_EQ(n.Text(), "Save Format v3.0(19990112)\r\n"
                        "appname \"app\";\r\n"
                        "applib \"app.kfl\";\r\n"
                        "liblist \"app.kfl\";\r\n"
                        "type \"kf\";\r\n"
                        "attribute \"oompath\" \"C:\\\\m\\\\app.oom\";\r\n"
                        "searchpath \"C:\\\\a;C:\\\\b\";\r\n");
    n.Save();
    auto back = Target::Load(dir / "app.kft");
    EXPECT_EQ(back.Text(), n.Text());
    EXPECT_EQ(back.LibrarySearchPath(), u"C:\\a;C:\\b");
}

TEST_F(StoreTest, LibraryListEntriesAreRelativeBelowTheTargetFolderElseFull) {
    auto t = Target::Create(dir / "app.kft", u"app", u"app.kfl");
    auto below = dir / "lib" / "orders.kfl";
    auto outside = fs::temp_directory_path() / "kf-elsewhere.kfl";
    auto sibling = fs::path(dir.string() + "x") / "s.kfl"; // same prefix, other folder
    EXPECT_EQ(t.LibraryListEntry(below), PathText(fs::path("lib") / "orders.kfl"));
    EXPECT_EQ(t.LibraryListEntry(outside), PathText(outside));
    EXPECT_EQ(t.LibraryListEntry(sibling), PathText(sibling));

    t.AddLibrary(below, true);
    EXPECT_TRUE(fs::exists(below)); // created empty
    EXPECT_EQ(Library::Load(below).Entries().size(), 0u);
    t.AddLibrary(below, true); // once only
    t.AddLibrary(outside, false);
    EXPECT_FALSE(fs::exists(outside));
    auto libs = t.Libraries();
    ASSERT_EQ(libs.size(), 3u);
    EXPECT_EQ(libs[0], dir / "app.kfl");
    EXPECT_EQ(libs[1], below);
    EXPECT_EQ(libs[2], outside);
    EXPECT_TRUE(t.FindLibrary(below));
    EXPECT_FALSE(t.FindLibrary(dir / "none.kfl"));

    // Enumerators hand out one item per Next, then nothing.
    Enumerator<fs::path> e(libs);
    int n = 0;
    while (e.Next())
        ++n;
    EXPECT_EQ(n, 3);
    EXPECT_FALSE(e.Next());
    e.Reset();
    EXPECT_EQ(*e.Next(), libs[0]);
}

TEST_F(StoreTest, LibraryEntriesRoundTrip) {
    auto lib = Library::Load(data / "orders.kfl");
    ASSERT_EQ(lib.Entries().size(), 2u);
    EXPECT_EQ(lib.Entries()[0].type.substr(0, 1), u"a");
    EXPECT_EQ(lib.Find(u"SALES.SRA")->source,
              u"$KFExportHeader$sales.sra\r\nglobal type sales from application\r\nend type\r\n");
    std::ifstream in(data / "orders.kfl", std::ios::binary);
    std::string original((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(lib.Text(), original);
    lib.Put({u"w_order.SRW", u"window", u"changed \"quoted\""});
    EXPECT_EQ(lib.Entries().size(), 2u);
    auto again = Library::Parse(lib.Text(), "x.kfl");
    EXPECT_EQ(again.Find(u"w_order.srw")->source, u"changed \"quoted\"");
}

TEST_F(StoreTest, MalformedFilesNameTheFileAndLine) {
    struct Case {
        bool library;
        const char* text;
        const char* error;
    } cases[] = {
        {true, "", "f:0: empty library file"},
        {true, "kf-library 2\n", "f:1: not a library file"},
        {true, "kf-library 1\nfoo\n", "f:2: expected an entry line"},
        {true, "kf-library 1\nentry \"a\" \"b\"\n", "f:2: expected a quoted text"},
        {true, "kf-library 1\nentry \"a\" \"b\" \"c\n", "f:2: unterminated quoted text"},
        {true, "kf-library 1\nentry \"a\" \"b\" \"\\x\"\n", "f:2: unknown escape \\x"},
        {true, "kf-library 1\nentry \"\" \"b\" \"\"\n", "f:2: an entry without a name"},
        {true, "kf-library 1\n\nentry \"a\" \"\" \"\"\nentry \"A\" \"\" \"\"\n",
         "f:4: entry A appears twice"},
        {true, "kf-library 1\nentry \"a\" \"b\" \"c\" x\n", "f:2: text after the entry"},
        {false, "", "f:1: empty target file"},
        {false, "appname \"x\";\n", "f:1: not a target file"},
        {false, "Save Format v3.0\nappname \"x\"\n", "f:2: expected ';'"},
        {false, "Save Format v3.0\nappname x;\n", "f:2: expected a quoted text"},
        {false, "Save Format v3.0\n\nattribute \"\" \"v\";\n", "f:3: an attribute without a key"},
        {false, "Save Format v3.0\ntype \"kf\"; more\n", "f:2: text after ';'"},
    };
    for (const auto& c : cases) {
        try {
            if (c.library)
                Library::Parse(c.text, "f");
            else
                Target::Parse(c.text, "f", "f");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const StoreError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.error, 0), 0u)
                << "got: " << e.what() << "\nwanted: " << c.error;
        }
    }
}

TEST(Settings, StringsAndDwordsByNameIgnoringCase) {
    MemorySettings s;
    EXPECT_FALSE(s.ReadDword(u"AutoSync"));
    s.WriteDword(u"AutoSync", 1);
    s.WriteString(u"Model1", u"C:\\m.oom");
    EXPECT_EQ(*s.ReadDword(u"autosync"), 1u);
    EXPECT_EQ(*s.ReadString(u"MODEL1"), u"C:\\m.oom");
    EXPECT_FALSE(s.ReadString(u"AutoSync")); // another kind reads as nothing
    s.WriteString(u"AutoSync", u"x");
    EXPECT_FALSE(s.ReadDword(u"AutoSync"));
}

} // namespace
} // namespace kf::pluginhost
