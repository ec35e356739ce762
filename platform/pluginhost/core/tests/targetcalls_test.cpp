#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kf/pluginhost/services.h"

namespace kf::pluginhost {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TargetCalls : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kf-targetcalls-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        Target::Create(dir / "sales.kft", u"sales", u"sales.kfl").Save();
        target = host.OpenTarget(PathText(dir / "sales.kft"), true);
        ASSERT_TRUE(target);
    }
    void TearDown() override { fs::remove_all(dir); }
    bool Recorded(const std::string& text) const {
        for (const auto& l : t.Lines())
            if (l.find(text) != std::string::npos)
                return true;
        return false;
    }

    Transcript t;
    HostServices host{t};
    fs::path dir;
    Target* target = nullptr;
};

// What the generation relies on: changes reach the file at once, reads see them, every
// call is recorded.
TEST_F(TargetCalls, ChangesAreWrittenAtOnceAndRecorded) {
    auto tpath = PathText(target->FileName());
    EXPECT_TRUE(host.SetAttribute(*target, u"oompath", tpath, u"C:\\m\\sales.oom"));
    EXPECT_TRUE(host.AddLibrary(*target, PathText(dir / "lib" / "orders.kfl"), true));
    EXPECT_TRUE(host.AddLibrary(*target, PathText(dir / "lib" / "orders.kfl"), true)); // once
    EXPECT_TRUE(host.SetLibrarySearchPath(*target, PathText(dir / "lib") + u";C:\\shared"));
    EXPECT_TRUE(host.SetProperty(*target, u"applib", u"lib\\orders.kfl"));
    EXPECT_TRUE(fs::exists(dir / "lib" / "orders.kfl"));

    Target again = Target::Load(dir / "sales.kft");
    EXPECT_EQ(again.GetAttribute(u"OOMPATH"), u"C:\\m\\sales.oom");
    EXPECT_EQ(again.Libraries().size(), 2u); // the template's library and the new one
    EXPECT_EQ(again.GetProperty(u"applib"), u"lib\\orders.kfl");
    EXPECT_EQ(host.GetAttribute(*target, u"oompath", tpath), u"C:\\m\\sales.oom");
    EXPECT_EQ(host.GetProperty(*target, u"liblist"),
              u"sales.kfl;" + PathText(fs::path("lib") / "orders.kfl"));
    EXPECT_TRUE(host.FindLibrary(*target, PathText(dir / "LIB" / "Orders.kfl")) ||
                !fs::exists(dir / "LIB")); // case-folding file systems only
    EXPECT_FALSE(host.FindLibrary(*target, PathText(dir / "other.kfl")));
    EXPECT_EQ(host.GetFileName(*target), tpath);
    EXPECT_TRUE(Recorded("host: SetAttribute \"oompath\""));
    EXPECT_TRUE(Recorded("host: GetProperty " + QuoteText(tpath) + " \"liblist\" -> "));
    EXPECT_TRUE(Recorded(" -> none"));
}

// Generation deletes and recreates a target file itself, then attaches it: the host must
// not keep serving (and later write back) what it read before.
TEST_F(TargetCalls, ATargetFileReplacedOnDiskIsReadAgain) {
    auto tpath = PathText(target->FileName());
    ASSERT_TRUE(host.SetAttribute(*target, u"oompath", tpath, u"old.oom"));
    fs::remove(dir / "sales.kft");
    Target::Create(dir / "sales.kft", u"fresh", u"fresh.kfl").Save();
    fs::last_write_time(dir / "sales.kft",
                        fs::last_write_time(dir / "sales.kft") + std::chrono::seconds(2));
    Target* again = host.OpenTarget(tpath, true);
    ASSERT_EQ(again, target); // the same object for plug-in objects that hold it
    EXPECT_EQ(again->GetProperty(u"appname"), u"fresh");
    EXPECT_EQ(again->GetAttribute(u"oompath"), u"");
    ASSERT_TRUE(host.SetProperty(*again, u"liblist", u"fresh.kfl;more.kfl"));
    EXPECT_EQ(host.OpenTarget(tpath, false)->GetProperty(u"liblist"), u"fresh.kfl;more.kfl");
    EXPECT_EQ(Target::Load(dir / "sales.kft").GetProperty(u"appname"), u"fresh");
}

TEST_F(TargetCalls, AFailedWriteIsReportedNotSwallowed) {
    fs::remove(dir / "sales.kft");
    fs::create_directories(dir / "sales.kft"); // the target's file can no longer be written
    EXPECT_FALSE(host.SetAttribute(*target, u"oompath", u"", u"x.oom"));
    EXPECT_TRUE(Recorded("SetAttribute \"oompath\" \"\" \"x.oom\" -> error"));
}

TEST_F(TargetCalls, EntriesOfMissingMalformedAndGoodLibraries) {
    EXPECT_EQ(host.GetEntries(dir / "none.kfl")->size(), 0u);
    { std::ofstream(dir / "bad.kfl") << "kf-library 1\nentry \"a.sra\"\n"; }
    EXPECT_FALSE(host.GetEntries(dir / "bad.kfl"));
    EXPECT_TRUE(Recorded("bad.kfl:2"));
    auto entries = host.GetEntries(fs::path(KF_PLUGINHOST_TEST_DATA) / "orders.kfl");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[1].type, u"window");
}

TEST_F(TargetCalls, ExportWritesOneFilePerEntryAndStaysInItsFolder) {
    auto out = dir / "export";
    EXPECT_EQ(host.ExportLibrary(u"t.kft",
                                 PathText(fs::path(KF_PLUGINHOST_TEST_DATA) / "orders.kfl"),
                                 PathText(out)),
              u"");
    EXPECT_EQ(Read(out / "sales.sra"),
              "$KFExportHeader$sales.sra\r\nglobal type sales from application\r\nend type\r\n");
    EXPECT_EQ(Read(out / "w_order.srw"), "");

    for (const char* name : {"..", "..\\\\evil.sra", "../evil.sra", "C:evil.sra"}) {
        {
            std::ofstream(dir / "evil.kfl", std::ios::trunc)
                << "kf-library 1\nentry \"ok.sra\" \"application\" \"x\"\nentry \"" << name
                << "\" \"application\" \"x\"\n";
        }
        fs::remove_all(out);
        EXPECT_NE(host.ExportLibrary(u"t.kft", PathText(dir / "evil.kfl"), PathText(out)), u"")
            << name;
        EXPECT_FALSE(fs::exists(out / "ok.sra")) << name; // nothing written at all
        EXPECT_FALSE(fs::exists(dir / "evil.sra")) << name;
    }
    EXPECT_NE(host.ExportLibrary(u"t.kft", PathText(dir / "none.kfl"), PathText(out)), u"");
}

} // namespace
} // namespace kf::pluginhost
