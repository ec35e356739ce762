// The 21 registration scripts of the resources folder, run through the registrar against
// an in-memory registry. The golden file is the same one the Wine test compares the real
// registry with after regsvr32.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "kf/model/registration.h"
#include "registrysnapshot.h"

namespace kf::model {
namespace {

using testing::MemoryRegistry;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<std::u16string> LoadScript(const ClassEntry& entry) {
    std::string text =
        ReadFile(std::string(KF_MODEL_RESOURCES_DIR) + "/" + testing::ToUtf8(entry.name) + ".rgs");
    if (text.empty())
        return std::nullopt;
    return testing::FromAscii(text);
}

// The module path stays a placeholder, which the Wine test fills in.
const Replacements kMap = ModuleReplacements(u"%MODULE%");

ResultCode RunAll(RegistrarMode mode, MemoryRegistry& reg) {
    return RunClassScripts(mode, LoadScript, kMap, reg);
}

const std::u16string kUserKey = u"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Draftora 10";

RegistryValue Dword(std::uint32_t n) {
    return {RegistryValue::Type::Dword, u"", n};
}

TEST(RegistrationScriptsTest, RegisterWritesTheGoldenTable) {
    MemoryRegistry reg;
    ASSERT_EQ(RunAll(RegistrarMode::Register, reg), kOk);
    EXPECT_EQ(testing::DumpPluginKeys(reg),
              ReadFile(std::string(KF_MODEL_TEST_DATA_DIR) + "/registry-registered.txt"));
}

TEST(RegistrationScriptsTest, RegisteringTwiceEqualsOnceAndResetsUserSettings) {
    MemoryRegistry once, twice;
    ASSERT_EQ(RunAll(RegistrarMode::Register, once), kOk);
    ASSERT_EQ(RunAll(RegistrarMode::Register, twice), kOk);
    twice.SetValue(RegistryRoot::CurrentUser, kUserKey, u"AutoSync", Dword(1));
    twice.SetValue(RegistryRoot::CurrentUser, kUserKey, u"AutoOpenFiles", Dword(0));
    twice.CreateKey(RegistryRoot::ClassesRoot,
                    u"CLSID\\{7C3E0104-BB5E-4D2B-ADC1-6D353AE4F17D}\\Stale");
    ASSERT_EQ(RunAll(RegistrarMode::Register, twice), kOk);
    EXPECT_EQ(testing::DumpPluginKeys(twice), testing::DumpPluginKeys(once));
}

TEST(RegistrationScriptsTest, UnregisterLeavesOnlySharedKeys) {
    MemoryRegistry reg;
    reg.CreateKey(RegistryRoot::ClassesRoot, u"CLSID\\{00000000-0000-0000-0000-000000000001}");
    ASSERT_EQ(RunAll(RegistrarMode::Register, reg), kOk);
    // A setting the plug-in writes later keeps the user key alive.
    reg.SetValue(RegistryRoot::CurrentUser, kUserKey, u"ModelCount", Dword(2));
    ASSERT_EQ(RunAll(RegistrarMode::Unregister, reg), kOk);
    EXPECT_EQ(testing::DumpPluginKeys(reg),
              "[HKLM\\Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins]\n"
              "[HKLM\\Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Services]\n"
              "[HKLM\\Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Services\\"
              "KFGenericPlugin.KFPFileTypeService]\n"
              "[HKLM\\Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Services\\"
              "KFGenericPlugin.KFPFileTypeService\\File Types]\n"
              "[HKLM\\Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Services\\"
              "KFGenericPlugin.KFPViewService]\n"
              "[HKCU\\Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins]\n"
              "[HKCU\\Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Draftora 10]\n"
              "\"ModelCount\"=dword:00000002\n");
    EXPECT_EQ(reg.SubKeys(RegistryRoot::ClassesRoot, u"CLSID"),
              std::vector<std::u16string>{u"{00000000-0000-0000-0000-000000000001}"});
}

TEST(RegistrationScriptsTest, FailingScriptStopsAtItsClass) {
    for (std::u16string_view broken : {u"KFPShellCallBack", u"KFPObjectEventHandler"}) {
        MemoryRegistry reg;
        bool reached = false;
        auto load = [&](const ClassEntry& entry) -> std::optional<std::u16string> {
            if (entry.name == broken) {
                reached = true;
                return u"HKCR { unterminated";
            }
            return LoadScript(entry);
        };
        EXPECT_EQ(RunClassScripts(RegistrarMode::Register, load, kMap, reg), kFail);
        EXPECT_TRUE(reached);
        bool before = true;
        for (const ClassEntry& entry : kClassTable) {
            if (entry.name == broken)
                before = false;
            EXPECT_EQ(reg.KeyExists(RegistryRoot::ClassesRoot, ProgId(entry)), before)
                << testing::ToUtf8(entry.name);
        }
    }
}

TEST(ClassTableTest, NamesAndIdentifiers) {
    const ClassEntry& sink = kClassTable[19];
    EXPECT_EQ(sink.name, u"KFPAttributeEventSink");
    EXPECT_EQ(ClassIdText(sink), u"{7C3E0112-BB5E-4D2B-ADC1-6D353AE4F17D}");
    EXPECT_EQ(ClassIdText(kClassTable[10]), u"{7C3E010A-BB5E-4D2B-ADC1-6D353AE4F17D}");
    EXPECT_EQ(VersionedProgId(kClassTable[0]), u"KFDraftoraPlugin.KFPDRService.10");
    EXPECT_EQ(ClassDescription(kClassTable[0]), u"KFPDRService Class");
    for (size_t i = 0; i < kClassTable.size(); ++i)
        EXPECT_EQ(kClassTable[i].scriptResource, 10000 + static_cast<int>(i));
}

} // namespace
} // namespace kf::model
