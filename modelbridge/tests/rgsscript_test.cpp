#include <gtest/gtest.h>

#include "kf/model/rgsscript.h"

namespace kf::model {
namespace {

const Replacements kMap{{u"MODULE", u"C:\\x\\mb.dll"}, {u"v", u"1"}};

TEST(RgsScriptTest, ParsesKeysValuesAndModes) {
    auto result = ParseScript(
        u"HKCR\n{\n  NoRemove CLSID\n  {\n    ForceRemove {7C3E0100-BB5E-4D2B-ADC1-6D353AE4F17D}"
        u" = s 'A Class'\n    {\n      InprocServer32 = s '%MODULE%'\n      {\n"
        u"        val ThreadingModel = s 'Apartment'\n      }\n      'Programmable'\n"
        u"    }\n  }\n}\nHKEY_LOCAL_MACHINE { Key { val N = d 0x1F val M = d '100' } }\n",
        kMap);
    ASSERT_TRUE(result.script) << result.error;
    const Script& s = *result.script;
    ASSERT_EQ(s.roots.size(), 2u);
    EXPECT_EQ(s.roots[0].root, RegistryRoot::ClassesRoot);
    const ScriptKey& clsid = s.roots[0].keys.at(0);
    EXPECT_EQ(clsid.name, u"CLSID");
    EXPECT_EQ(clsid.mode, KeyMode::NoRemove);
    const ScriptKey& cls = clsid.subkeys.at(0);
    EXPECT_EQ(cls.name, u"{7C3E0100-BB5E-4D2B-ADC1-6D353AE4F17D}");
    EXPECT_EQ(cls.mode, KeyMode::ForceRemove);
    EXPECT_EQ(cls.defaultValue->text, u"A Class");
    ASSERT_EQ(cls.subkeys.size(), 2u);
    EXPECT_EQ(cls.subkeys[0].defaultValue->text, u"C:\\x\\mb.dll");
    EXPECT_EQ(cls.subkeys[0].values.at(0).first, u"ThreadingModel");
    EXPECT_EQ(cls.subkeys[1].name, u"Programmable");
    EXPECT_FALSE(cls.subkeys[1].defaultValue);
    EXPECT_EQ(s.roots[1].root, RegistryRoot::LocalMachine);
    const auto& values = s.roots[1].keys.at(0).values;
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].second, (RegistryValue{RegistryValue::Type::Dword, u"", 0x1F}));
    EXPECT_EQ(values[1].second.number, 100u);
}

TEST(RgsScriptTest, QuotesPercentAndKeywordsAsNames) {
    auto result =
        ParseScript(u"hkcu { 'it''s' = s '100%% %v%' 'val' { 'NoRemove' = s '' } }", kMap);
    ASSERT_TRUE(result.script) << result.error;
    const auto& keys = result.script->roots.at(0).keys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].name, u"it's");
    EXPECT_EQ(keys[0].defaultValue->text, u"100% 1");
    EXPECT_EQ(keys[1].name, u"val");
    EXPECT_EQ(keys[1].subkeys.at(0).name, u"NoRemove");
    EXPECT_EQ(keys[1].subkeys.at(0).mode, KeyMode::Plain);
}

// A replaced text stays inside its token: a module path with quotes and braces cannot
// end the value early or add keys.
TEST(RgsScriptTest, ReplacementCannotChangeTheStructure) {
    Replacements map{{u"MODULE", u"C:\\O'Neil } x { y\\mb.dll"}};
    auto result = ParseScript(u"HKCR { K = s '%MODULE%' { L = s '%MODULE%, 1' } }", map);
    ASSERT_TRUE(result.script) << result.error;
    const ScriptKey& k = result.script->roots.at(0).keys.at(0);
    EXPECT_EQ(k.defaultValue->text, map.at(u"MODULE"));
    ASSERT_EQ(k.subkeys.size(), 1u);
    EXPECT_EQ(k.subkeys[0].defaultValue->text, map.at(u"MODULE") + u", 1");
}

TEST(RgsScriptTest, EmptyScriptHasNoRoots) {
    auto result = ParseScript(u"  \r\n ", kMap);
    ASSERT_TRUE(result.script);
    EXPECT_TRUE(result.script->roots.empty());
}

TEST(RgsScriptTest, RejectsMalformedScripts) {
    struct Case {
        const char16_t* text;
        const char* error;
    };
    const Case cases[] = {
        {u"HKXX { }", "unknown root key"},
        {u"HKCR K", "expected '{' after the root key"},
        {u"HKCR { K { }", "missing '}'"},
        {u"HKCR { K = s 'open }", "unterminated quoted text"},
        {u"HKCR { K = s '%NOPE%' }", "unknown replacement variable"},
        {u"HKCR { K = s '50%' }", "unmatched '%'"},
        {u"HKCR { K = b '00' }", "unsupported value type"},
        {u"HKCR { K = d '12a' }", "malformed number"},
        {u"HKCR { K = d 4294967296 }", "number out of range"},
        {u"HKCR { val X = s 'y' }", "'val' outside a key"},
        {u"HKCR { K { val X s 'y' } }", "expected '=' after the value name"},
        {u"HKCR { 'A\\B' }", "'\\' in a key or value name"},
        {u"HKCR { K = }", "expected a value type"},
        {u"HKCR { = s 'x' }", "expected a key or value name"},
    };
    for (const Case& c : cases) {
        auto result = ParseScript(c.text, kMap);
        EXPECT_FALSE(result.script) << c.error;
        EXPECT_NE(result.error.find(c.error), std::string::npos)
            << "expected '" << c.error << "', got '" << result.error << "'";
    }
}

TEST(RgsScriptTest, ErrorNamesTheLine) {
    auto result = ParseScript(u"HKCR\n{\n  K = x 'y'\n}\n", kMap);
    ASSERT_FALSE(result.script);
    EXPECT_EQ(result.error.rfind("line 3:", 0), 0u) << result.error;
}

} // namespace
} // namespace kf::model
