#include <gtest/gtest.h>

#include "kf/model/registrar.h"
#include "registrysnapshot.h"

namespace kf::model {
namespace {

using testing::MemoryRegistry;

Script Parse(std::u16string_view text) {
    auto result = ParseScript(text, {});
    EXPECT_TRUE(result.script) << result.error;
    return result.script.value_or(Script{});
}

RegistryValue Text(std::u16string text) {
    return {RegistryValue::Type::String, text, 0};
}

const char16_t kScript[] = u"HKCR { NoRemove Shared { ForceRemove Own = s 'own' { Sub = s 'sub' }"
                           u"  Plain = s 'plain' { val V = d 7 } } }";

TEST(RegistrarTest, RegisterWritesEveryKeyAndValue) {
    MemoryRegistry reg;
    ASSERT_EQ(RunScript(Parse(kScript), RegistrarMode::Register, reg), kOk);
    EXPECT_EQ(testing::DumpTree(reg, RegistryRoot::ClassesRoot, u"Shared"),
              "[HKCR\\Shared]\n"
              "[HKCR\\Shared\\Own]\n@=\"own\"\n"
              "[HKCR\\Shared\\Own\\Sub]\n@=\"sub\"\n"
              "[HKCR\\Shared\\Plain]\n@=\"plain\"\n\"V\"=dword:00000007\n");
}

TEST(RegistrarTest, ForceRemoveRebuildsTheKeyOnRegister) {
    MemoryRegistry reg;
    reg.CreateKey(RegistryRoot::ClassesRoot, u"Shared\\OWN\\Stale");
    reg.SetValue(RegistryRoot::ClassesRoot, u"Shared\\OWN", u"Old", Text(u"x"));
    reg.CreateKey(RegistryRoot::ClassesRoot, u"Shared\\Plain");
    reg.SetValue(RegistryRoot::ClassesRoot, u"Shared\\Plain", u"Foreign", Text(u"kept"));
    ASSERT_EQ(RunScript(Parse(kScript), RegistrarMode::Register, reg), kOk);
    EXPECT_FALSE(reg.KeyExists(RegistryRoot::ClassesRoot, u"Shared\\Own\\Stale"));
    EXPECT_TRUE(reg.KeyExists(RegistryRoot::ClassesRoot, u"Shared\\Own\\Sub"));
    auto values = reg.Values(RegistryRoot::ClassesRoot, u"Shared\\Own");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].first, u"");
    // A plain key is written over, not rebuilt.
    EXPECT_EQ(reg.Values(RegistryRoot::ClassesRoot, u"Shared\\Plain").size(), 3u);
}

TEST(RegistrarTest, UnregisterRemovesWhatTheScriptAddsAndKeepsTheRest) {
    MemoryRegistry reg;
    const Script script = Parse(kScript);
    ASSERT_EQ(RunScript(script, RegistrarMode::Register, reg), kOk);
    ASSERT_EQ(RunScript(script, RegistrarMode::Unregister, reg), kOk);
    EXPECT_TRUE(reg.KeyExists(RegistryRoot::ClassesRoot, u"Shared"));
    EXPECT_TRUE(reg.SubKeys(RegistryRoot::ClassesRoot, u"Shared").empty());

    // What someone else put into a plain key or below the NoRemove key survives.
    ASSERT_EQ(RunScript(script, RegistrarMode::Register, reg), kOk);
    reg.SetValue(RegistryRoot::ClassesRoot, u"Shared\\Plain", u"Foreign", Text(u"kept"));
    reg.CreateKey(RegistryRoot::ClassesRoot, u"Shared\\Other");
    reg.CreateKey(RegistryRoot::ClassesRoot, u"Shared\\Own\\Extra");
    ASSERT_EQ(RunScript(script, RegistrarMode::Unregister, reg), kOk);
    EXPECT_EQ(testing::DumpTree(reg, RegistryRoot::ClassesRoot, u"Shared"),
              "[HKCR\\Shared]\n[HKCR\\Shared\\Other]\n"
              "[HKCR\\Shared\\Plain]\n\"Foreign\"=\"kept\"\n");
}

TEST(RegistrarTest, UnregisterOfAnAbsentTreeSucceedsAndCreatesNothing) {
    MemoryRegistry reg;
    EXPECT_EQ(RunScript(Parse(kScript), RegistrarMode::Unregister, reg), kOk);
    EXPECT_FALSE(reg.KeyExists(RegistryRoot::ClassesRoot, u"Shared"));
}

TEST(RegistrarTest, FirstFailureStopsTheWalk) {
    const Script script = Parse(u"HKCU { A = s 'a' B = s 'b' } HKLM { C }");
    for (int allowed : {0, 1, 2, 3}) {
        MemoryRegistry reg;
        reg.failAfterWrites = allowed;
        EXPECT_EQ(RunScript(script, RegistrarMode::Register, reg), kFail) << allowed;
        reg.failAfterWrites = -1;
        // Writes: create A, value A, create B, value B, create C.
        EXPECT_EQ(reg.KeyExists(RegistryRoot::CurrentUser, u"B"), allowed >= 3) << allowed;
        EXPECT_FALSE(reg.KeyExists(RegistryRoot::LocalMachine, u"C")) << allowed;
    }
}

} // namespace
} // namespace kf::model
