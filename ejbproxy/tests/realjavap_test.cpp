// beanproxy against the JDK's own javap, with both runners: one JVM for the run, and one
// javap process per class (chosen by a JDK folder that holds javap but no java).

#include <gtest/gtest.h>

#include <sstream>

#include "kf/ejb/process.h"
#include "testsupport.h"

namespace kf::ejb {
namespace {

const std::string kEjbApi = KF_EJB_API_JAR;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class RealJavap : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "javaponly" / "bin");
        std::filesystem::create_symlink(std::filesystem::path(KF_REAL_JDK) / "bin" / "javap",
                                        dir_.path() / "javaponly" / "bin" / "javap");
    }
    void TearDown() override { unsetenv("KF_REGISTRY_FILE"); }

    // Runs beanproxy in a fresh folder named run, with the JDK folder given.
    std::filesystem::path Generate(const std::string& run, const std::filesystem::path& jdk,
                                   const std::vector<std::string>& args) {
        const auto registry = dir_.path() / (run + ".reg");
        test::WriteBytes(registry, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java]\n"
                                   "\"JDKLocation\"=\"" + jdk.string() + "\"\n");
        setenv("KF_REGISTRY_FILE", registry.c_str(), 1);
        const auto folder = dir_.path() / run;
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        auto code = RunRedirected(KF_BEANPROXY, args, "../" + run + ".out", "../" + run + ".err");
        std::filesystem::current_path(dir_.path());
        EXPECT_EQ(code, 1);
        return folder;
    }

    static void ExpectSameFiles(const std::filesystem::path& a, const std::filesystem::path& b) {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(a)) names.insert(e.path().filename().string());
        std::set<std::string> others;
        for (const auto& e : std::filesystem::directory_iterator(b)) others.insert(e.path().filename().string());
        ASSERT_EQ(names, others);
        for (const auto& name : names)
            EXPECT_EQ(test::ReadBytes(a / name), test::ReadBytes(b / name)) << name;
    }

    test::ScopedWorkingDirectory dir_;
};

TEST_F(RealJavap, ExampleBeanReachesTheCollectionClassesAndBothRunnersAgree) {
    const std::vector<std::string> args{"-classpath", std::string(KF_EXAMPLE_CLASSES) + ":" + kEjbApi,
                                        "com.acme.Account", "n_"};
    const auto service = Generate("service", KF_REAL_JDK, args);

    const std::vector<std::string> listed = Lines(test::ReadBytes(service / "ejbproxies.txt"));
    ASSERT_GT(listed.size(), 100u); // Vector and Collections reach far into java.util
    EXPECT_EQ(listed.back(), "Account_ejb_kf_mapping.srs");
    for (const auto& file : listed) EXPECT_TRUE(std::filesystem::exists(service / file)) << file;
    EXPECT_FALSE(std::filesystem::exists(service / "ejbproxies.err"))
        << test::ReadBytes(service / "ejbproxies.err").substr(0, 2000);

    // The mapping file lists the same classes in the same order.
    std::vector<std::string> mapped;
    for (const auto& line : Lines(test::ReadBytes(service / "Account_ejb_kf_mapping.srs"))) {
        auto colon = line.rfind(':');
        if (line.find("\tstring\t\titem") == 0 && colon != std::string::npos)
            mapped.push_back(line.substr(colon + 1, line.size() - colon - 2) + ".srx");
    }
    EXPECT_EQ(mapped, std::vector<std::string>(listed.begin(), listed.end() - 1));

    const std::string account = test::ReadBytes(service / "n_Account.srx");
    EXPECT_NE(account.find("function any history() throws RemoteException alias for "
                           "\"history,()[Lcom/acme/Entry;|n_Entry\""),
              std::string::npos);
    EXPECT_NE(account.find("function Vector recentEntries( datetime datetime_1)"), std::string::npos);

    ExpectSameFiles(service, Generate("process", dir_.path() / "javaponly", args));
}

TEST_F(RealJavap, FailingClassesGiveTheSameFilesWithBothRunners) {
    const std::vector<std::string> args{"-classpath", std::string(KF_BROKEN_CLASSES) + ":" + kEjbApi,
                                        "com.broken.Thing"};
    const auto service = Generate("service", KF_REAL_JDK, args);
    EXPECT_FALSE(std::filesystem::exists(service / "ejbproxies.txt"));
    EXPECT_EQ(test::ReadBytes(service / "ejbproxies.err"), "Error: class not found: com.broken.Gone\r\n");
    // What completed before the failure stays.
    EXPECT_TRUE(std::filesystem::exists(service / "Part.srx"));
    ExpectSameFiles(service, Generate("process", dir_.path() / "javaponly", args));
}

} // namespace
} // namespace kf::ejb
