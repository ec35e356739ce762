#include <gtest/gtest.h>

#include "kf/ejb/commandline.h"
#include "kf/ejb/settings.h"
#include "kf/registry/regfile.h"

namespace kf::ejb {
namespace {

kf::registry::RegFileRegistry Registry(const std::string& body) {
    return kf::registry::RegFileRegistry::Parse("Windows Registry Editor Version 5.00\r\n\r\n" + body);
}

const char* kSysKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java\\KFIDEConfig\\KFSysclasspath]\r\n";

TEST(GatherSettings, ClassPathOption) {
    struct Case {
        std::optional<std::string> list;
        std::optional<std::string> variable;
        std::string registry;
        std::string option;
    };
    const Case cases[] = {
        {std::nullopt, "c:\\jre\\rt.jar", kSysKey + std::string("\"Count\"=\"1\"\r\n\"0\"=\"x\"\r\n"), ""},
        {"c:\\lib", "c:\\jre\\rt.jar", "", "-classpath \"c:\\lib;c:\\jre\\rt.jar;\" "},
        {"", std::nullopt, "", "-classpath \";\" "},
        {"a", std::nullopt, kSysKey + std::string("\"Count\"=\" +3x\"\r\n\"0\"=\"s0\"\r\n\"2\"=\"s2\"\r\n\"3\"=\"s3\"\r\n"),
         "-classpath \"a;s0;s2;\" "},
        {"a", std::nullopt, kSysKey + std::string("\"Count\"=\"none\"\r\n\"0\"=\"s0\"\r\n"), "-classpath \"a;\" "},
        {"a", std::nullopt, kSysKey + std::string("\"Count\"=dword:00000001\r\n\"0\"=\"s0\"\r\n"), "-classpath \"a;\" "},
        {"a", std::nullopt, kSysKey + std::string("\"Count\"=\"1\"\r\n\"0\"=\"") + std::string(260, 'x') + "\"\r\n",
         "-classpath \"a;\" "}, // a value that does not fit the 260-byte buffer is not read
    };
    for (const Case& c : cases) {
        auto registry = Registry(c.registry);
        EXPECT_EQ(ClassPathOptionText(GatherSettings(c.list, c.variable, registry, kWindowsPaths)),
                  c.option)
            << c.registry;
    }
    auto posix = GatherSettings("/lib", "/env", Registry(""), kPosixPaths);
    EXPECT_EQ(posix.classPath, "/lib:/env:");
}

TEST(GatherSettings, JdkToolDirectory) {
    const std::string javaKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java]\r\n";
    EXPECT_EQ(GatherSettings({}, {}, Registry(javaKey + "\"JDKLocation\"=\"C:\\\\jdk\"\r\n"),
                             kWindowsPaths).jdkToolDirectory,
              "C:\\jdk\\bin\\");
    EXPECT_EQ(GatherSettings({}, {}, Registry(javaKey + "\"JDKLocation\"=\"C:\\\\jdk\\\\\"\r\n"),
                             kWindowsPaths).jdkToolDirectory,
              "C:\\jdk\\bin\\");
    EXPECT_EQ(GatherSettings({}, {}, Registry(javaKey + "\"JDKLocation\"=\"/opt/jdk/\"\r\n"),
                             kPosixPaths).jdkToolDirectory,
              "/opt/jdk/bin/");
    EXPECT_EQ(GatherSettings({}, {}, Registry(""), kWindowsPaths).jdkToolDirectory, "");
}

TEST(TextToInteger, UsualRule) {
    const std::pair<const char*, int> cases[] = {
        {"12", 12}, {"  7", 7}, {"+4", 4}, {"-3", -3}, {"5x9", 5}, {"", 0}, {"abc", 0},
        {"99999999999", 2147483647}, {"- 1", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(TextToInteger(text), value) << text;
}

TEST(ScanArguments, Table) {
    struct Case {
        std::vector<std::string> args;
        bool usage;
        std::optional<std::string> classPath;
        std::string remote;
        std::optional<std::string> home;
        std::string prefix;
    };
    const Case cases[] = {
        {{}, true, {}, "", {}, ""},
        {{"-classpath", "c:\\lib"}, true, {}, "", {}, ""},
        {{"-classpath"}, true, {}, "", {}, ""},
        {{"com.acme.Account"}, false, {}, "com.acme.Account", {}, ""},
        {{"com.acme.Account", "n_"}, false, {}, "com.acme.Account", {}, "n_"},
        {{"-CLASSPATH", "c:\\lib", "com.acme.Account", "n_"}, false, "c:\\lib", "com.acme.Account", {}, "n_"},
        {{"com.acme.Account", "-home", "com.acme.AcctHome", "n_", "extra"}, false, {}, "com.acme.Account", "com.acme.AcctHome", ""},
        {{"com.acme.Account", "-HOME", "com.acme.AcctHome", "n_"}, false, {}, "com.acme.Account", "com.acme.AcctHome", "n_"},
        {{"com.acme.Account", "-home"}, false, {}, "com.acme.Account", {}, ""},
        {{"com.acme.Account", "a", "b"}, false, {}, "com.acme.Account", {}, ""},
    };
    for (const Case& c : cases) {
        auto request = ScanArguments(c.args);
        ASSERT_EQ(!request, c.usage) << testing::PrintToString(c.args);
        if (!request) continue;
        EXPECT_EQ(request->classPathList, c.classPath);
        EXPECT_EQ(request->remoteInterface, c.remote);
        EXPECT_EQ(request->homeInterface, c.home);
        EXPECT_EQ(request->prefix, c.prefix) << testing::PrintToString(c.args);
    }
}

} // namespace
} // namespace kf::ejb
