// beanproxy.exe and beanproxylib.dll under Wine, with a stand-in javap.exe found through
// JDKLocation in the registry or through the search path, and the class path option
// built from the arguments, CLASSPATH and the KFSysclasspath entries.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "kf/ejb/process.h"
#include "winpaths.h"

namespace {

namespace fs = std::filesystem;
using kf::wintest::ExecutableDirectory;
using kf::wintest::ReadFileText;

constexpr const char* kJavaKey = "SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java";
constexpr const char* kSysKey = "SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java\\KFIDEConfig\\KFSysclasspath";

void SetValue(const char* keyPath, const char* name, const std::string& value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

void ClearRegistry() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tevron"); }

// The lines of the stand-in's log: command line, argument count, temporaries.
std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string text = ReadFileText(path), line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return lines;
}

class BeanproxyWin : public ::testing::Test {
protected:
    void SetUp() override {
        exeDir_ = ExecutableDirectory();
        root_ = fs::current_path() / ("beanproxy-win-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "jdk" / "bin");
        fs::copy_file(exeDir_ + "fakejavap_win.exe", root_ / "jdk" / "bin" / "javap.exe");
        fs::create_directories(root_ / "run");
        previous_ = fs::current_path();
        fs::current_path(root_ / "run");
        log_ = (root_ / "javap.log").string();
        SetEnvironmentVariableA("FAKE_JAVAP_DIR", (exeDir_ + "fakejavap-data").c_str());
        SetEnvironmentVariableA("FAKE_JAVAP_LOG", log_.c_str());
        // _putenv: the library reads CLASSPATH through the C runtime, which keeps its own
        // copy of the environment; this sets both.
        _putenv("CLASSPATH=c:\\env\\cp");
        ClearRegistry();
        SetValue(kJavaKey, "JDKLocation", Jdk());
        SetValue(kSysKey, "Count", "2");
        SetValue(kSysKey, "0", "c:\\sys\\a.jar");
        SetValue(kSysKey, "1", "c:\\sys\\b.jar");
    }
    void TearDown() override {
        ClearRegistry();
        for (const char* v : {"FAKE_JAVAP_DIR", "FAKE_JAVAP_LOG"}) SetEnvironmentVariableA(v, nullptr);
        _putenv("CLASSPATH=");
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::string Jdk() const { return (root_ / "jdk").string(); }

    int Run(const std::vector<std::string>& args) {
        const std::string out = (root_ / "stdout.txt").string(), err = (root_ / "stderr.txt").string();
        auto code = kf::ejb::RunRedirected(exeDir_ + "beanproxy.exe", args, out, err);
        stderr_ = ReadFileText(err);
        return code.value_or(-1);
    }
    std::set<std::string> RunFiles() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(root_ / "run")) names.insert(e.path().filename().string());
        return names;
    }

    std::string exeDir_;
    fs::path root_, previous_;
    std::string log_, stderr_;
};

TEST_F(BeanproxyWin, RunThroughJdkLocationWithFullClassPath) {
    EXPECT_EQ(Run({"-CLASSPATH", "c:\\lib", "com.acme.Account", "n_"}), 1);
    EXPECT_EQ(stderr_, "");
    const std::set<std::string> expected = {
        "EJBHome.srx", "EJBObject.srx", "RemoteException.srx", "n_Account.srx",
        "n_AccountHome.srx", "Collections.srx", "Vector.srx", "NoInitialContextException.srx",
        "ClassNotFoundException.srx", "DuplicateKeyException.srx", "ObjectNotFoundException.srx",
        "Account_ejb_kf_mapping.srs", "ejbproxies.txt"};
    EXPECT_EQ(RunFiles(), expected); // no temporary file, no error file
    const auto log = LogLines(log_);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "\"" + Jdk() + "\\bin\\javap\" -s -public -classpath "
                      "\"c:\\lib;c:\\env\\cp;c:\\sys\\a.jar;c:\\sys\\b.jar;\" com.acme.AccountHome"
                      "|5|temporaries-present");
    EXPECT_EQ(ReadFileText("ejbproxies.txt").substr(0, 13), "EJBHome.srx\r\n");
}

// The same run as the Linux program's: every file byte for byte as there (line ends are
// written by the generator, not by the C runtime's text mode).
TEST_F(BeanproxyWin, FilesMatchTheLinuxRun) {
    Run({"com.acme.Account", "n_"});
    const fs::path golden = exeDir_ + "golden-run-n_";
    std::set<std::string> expected;
    for (const auto& e : fs::directory_iterator(golden)) {
        const std::string name = e.path().filename().string();
        expected.insert(name);
        EXPECT_EQ(ReadFileText(name), ReadFileText(e.path().string())) << name;
    }
    EXPECT_EQ(RunFiles(), expected);
}

TEST_F(BeanproxyWin, JdkLocationWithTrailingBackslashAndNoClassPathList) {
    SetValue(kJavaKey, "JDKLocation", Jdk() + "\\");
    Run({"com.acme.Account"});
    EXPECT_TRUE(RunFiles().contains("ejbproxies.txt"));
    const auto log = LogLines(log_);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "\"" + Jdk() + "\\bin\\javap\" -s -public com.acme.AccountHome|3|temporaries-present");
}

TEST_F(BeanproxyWin, JavapOnSearchPath) {
    ClearRegistry();
    char old[32767];
    const DWORD n = GetEnvironmentVariableA("PATH", old, sizeof old);
    SetEnvironmentVariableA("PATH", (Jdk() + "\\bin;" + std::string(old, n)).c_str());
    Run({"-classpath", "", "com.acme.Account"});
    SetEnvironmentVariableA("PATH", std::string(old, n).c_str());
    EXPECT_TRUE(RunFiles().contains("ejbproxies.txt"));
    const auto log = LogLines(log_);
    ASSERT_FALSE(log.empty());
    // An empty list still gives the option; no registry entries add nothing.
    EXPECT_EQ(log[0], "\"javap\" -s -public -classpath \";c:\\env\\cp;\" com.acme.AccountHome|5|temporaries-present");
}

TEST_F(BeanproxyWin, ClassJavapCannotFindLeavesItsMessage) {
    Run({"com.acme.Nothing", "-home", "com.acme.Missing"});
    EXPECT_EQ(RunFiles(), std::set<std::string>{"ejbproxies.err"});
    EXPECT_EQ(ReadFileText("ejbproxies.err").rfind("Error: class not found: com.acme.Missing\r", 0), 0u);
}

TEST_F(BeanproxyWin, NameWithBlanksStaysOneArgument) {
    Run({"com.acme.Account", "-home", "com.acme.A -classpath x"});
    const auto log = LogLines(log_);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "\"" + Jdk() + "\\bin\\javap\" -s -public \"com.acme.A -classpath x\"|3|temporaries-present");
    EXPECT_EQ(RunFiles(), std::set<std::string>{"ejbproxies.err"});
}

TEST_F(BeanproxyWin, JavapThatCannotBeStarted) {
    SetValue(kJavaKey, "JDKLocation", "C:\\nonexistent\\jdk");
    Run({"com.acme.Account"});
    EXPECT_EQ(RunFiles(), std::set<std::string>{"ejbproxies.err"});
    EXPECT_EQ(ReadFileText("ejbproxies.err"), "Can't get information of com.acme.AccountHome");
}

TEST_F(BeanproxyWin, LibraryThroughDecoratedName) {
    HMODULE lib = LoadLibraryA((exeDir_ + "beanproxylib.dll").c_str());
    ASSERT_NE(lib, nullptr);
    using Export = int(__stdcall*)(const char*, const char*, const char*, const char*, char*);
    auto generate = reinterpret_cast<Export>(
        reinterpret_cast<void*>(GetProcAddress(lib, "_EJB_GenerateEJBProxy@20")));
    ASSERT_NE(generate, nullptr);
#ifdef _WIN64
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(lib, "EJB_GenerateEJBProxy")),
              reinterpret_cast<void*>(generate));
#endif

    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(generate("c:\\lib", "n_", "com.acme.Account", nullptr, buffer), 1);
    EXPECT_STREQ(buffer, "ejbproxies.txt");
    EXPECT_TRUE(RunFiles().contains("n_Account.srx"));
    const auto log = LogLines(log_);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "\"" + Jdk() + "\\bin\\javap\" -s -public -classpath "
                      "\"c:\\lib;c:\\env\\cp;c:\\sys\\a.jar;c:\\sys\\b.jar;\" com.acme.AccountHome"
                      "|5|temporaries-present");

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(generate(nullptr, nullptr, "com.acme.Account", "com.acme.Missing", buffer), 0);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
    EXPECT_EQ(generate(nullptr, nullptr, nullptr, nullptr, buffer), 0);
    FreeLibrary(lib);
}

} // namespace
