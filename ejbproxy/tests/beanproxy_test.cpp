// The console program and the shared library, run as their callers run them, with a
// stand-in javap found through the registry file or the search path.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "kf/ejb/process.h"
#include "testsupport.h"

namespace kf::ejb {
namespace {

class BeanproxyProgram : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "jdk" / "bin");
        std::filesystem::copy_file(KF_FAKE_JAVAP, dir_.path() / "jdk" / "bin" / "javap");
        std::filesystem::create_directories(dir_.path() / "run");
        std::filesystem::current_path(dir_.path() / "run");
        log_ = dir_.path() / "javap.log";
        setenv("FAKE_JAVAP_DIR", (test::DataDir() / "fakejavap").c_str(), 1);
        setenv("FAKE_JAVAP_LOG", log_.c_str(), 1);
        setenv("CLASSPATH", "/env/cp", 1);
        UseRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java]\n"
                    "\"JDKLocation\"=\"" + (dir_.path() / "jdk").string() + "\"\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java\\KFIDEConfig\\KFSysclasspath]\n"
                    "\"Count\"=\"2\"\n\"0\"=\"/sys/a.jar\"\n\"1\"=\"/sys/b.jar\"\n");
    }
    void TearDown() override {
        for (const char* v : {"FAKE_JAVAP_DIR", "FAKE_JAVAP_LOG", "CLASSPATH", "KF_REGISTRY_FILE"})
            unsetenv(v);
        std::filesystem::current_path(dir_.path());
    }
    void UseRegistry(const std::string& body) {
        const auto path = dir_.path() / "registry.reg";
        test::WriteBytes(path, "REGEDIT4\n\n" + body);
        setenv("KF_REGISTRY_FILE", path.c_str(), 1);
    }
    // Runs beanproxy; returns its exit code and keeps its standard error.
    int Run(const std::vector<std::string>& args) {
        const auto err = dir_.path() / "stderr.txt";
        auto code = RunRedirected(KF_BEANPROXY, args, (dir_.path() / "stdout.txt").string(), err.string());
        stderr_ = test::ReadBytes(err);
        return code.value_or(-1);
    }
    std::set<std::string> RunFiles() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_.path() / "run"))
            names.insert(e.path().filename().string());
        return names;
    }
    std::string Log() const { return test::ReadBytes(log_); }

    test::ScopedWorkingDirectory dir_;
    std::filesystem::path log_;
    std::string stderr_;
};

TEST_F(BeanproxyProgram, UsageOnStandardErrorAndExitCodeOne) {
    const std::string usage =
        " Usage: " KF_BEANPROXY " [-classpath pathlists] Fully-Qualified Remote Interface Class Name "
        "[-home Fully-Qualified Home Interface Class Name] [prefix] \n\nThe prefix will be prepended "
        "to the KF proxy name generated\n";
    EXPECT_EQ(Run({}), 1);
    EXPECT_EQ(stderr_, usage);
    EXPECT_EQ(Run({"-classpath", "/lib"}), 1);
    EXPECT_EQ(stderr_, usage);
    EXPECT_TRUE(RunFiles().empty());
}

TEST_F(BeanproxyProgram, SuccessfulRunThroughJdkLocation) {
    EXPECT_EQ(Run({"-CLASSPATH", "/lib", "com.acme.Account", "n_"}), 1);
    EXPECT_EQ(stderr_, "");
    const std::set<std::string> expected = {
        "EJBHome.srx", "EJBObject.srx", "RemoteException.srx", "n_Account.srx",
        "n_AccountHome.srx", "Collections.srx", "Vector.srx", "NoInitialContextException.srx",
        "ClassNotFoundException.srx", "DuplicateKeyException.srx", "ObjectNotFoundException.srx",
        "Account_ejb_kf_mapping.srs", "ejbproxies.txt"};
    EXPECT_EQ(RunFiles(), expected); // no temporary file, no error file
    const std::string log = Log();
    EXPECT_EQ(log.substr(0, log.find('\n')),
              "[-s] [-public] [-classpath] [/lib:/env/cp:/sys/a.jar:/sys/b.jar:] "
              "[com.acme.AccountHome] temporaries-present");
}

TEST_F(BeanproxyProgram, SearchPathAndNoClassPathOption) {
    UseRegistry("");
    const std::string path = std::getenv("PATH");
    setenv("PATH", ((dir_.path() / "jdk" / "bin").string() + ":" + path).c_str(), 1);
    Run({"com.acme.Account"});
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(RunFiles().contains("ejbproxies.txt"));
    const std::string log = Log();
    EXPECT_EQ(log.substr(0, log.find('\n')), "[-s] [-public] [com.acme.AccountHome] temporaries-present");
}

TEST_F(BeanproxyProgram, ClassJavapCannotFind) {
    Run({"com.acme.Nothing", "-home", "com.acme.Missing"});
    EXPECT_EQ(RunFiles(), std::set<std::string>{"ejbproxies.err"});
    EXPECT_EQ(test::ReadBytes("ejbproxies.err"), "Error: class not found: com.acme.Missing\r\n");
}

TEST_F(BeanproxyProgram, NamesThatLookLikeOptionsOrPathsNeverReachJavap) {
    for (const char* name : {"-J-version", "../escape", "a/b", "a\\b"}) {
        std::filesystem::remove("ejbproxies.err");
        Run({"com.acme.Account", "-home", name});
        EXPECT_EQ(test::ReadBytes("ejbproxies.err"), std::string("Can't get information of ") + name);
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(BeanproxyProgram, JavapThatCannotBeStarted) {
    UseRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java]\n"
                "\"JDKLocation\"=\"/nonexistent/jdk\"\n");
    Run({"com.acme.Account"});
    EXPECT_EQ(RunFiles(), std::set<std::string>{"ejbproxies.err"});
    EXPECT_EQ(test::ReadBytes("ejbproxies.err"), "Can't get information of com.acme.AccountHome");
}

TEST_F(BeanproxyProgram, LibraryExport) {
    void* lib = dlopen(KF_BEANPROXYLIB, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using Export = int (*)(const char*, const char*, const char*, const char*, char*);
    auto generate = reinterpret_cast<Export>(dlsym(lib, "EJB_GenerateEJBProxy"));
    ASSERT_NE(generate, nullptr);

    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(generate(nullptr, "n_", "com.acme.Account", nullptr, buffer), 1);
    EXPECT_STREQ(buffer, "ejbproxies.txt");
    EXPECT_TRUE(RunFiles().contains("n_Account.srx"));

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(generate("/lib", nullptr, "com.acme.Account", "com.acme.Missing", buffer), 0);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
    EXPECT_EQ(generate(nullptr, nullptr, nullptr, nullptr, buffer), 0);
    dlclose(lib);
}

} // namespace
} // namespace kf::ejb
