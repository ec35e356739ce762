// The one-JVM runner's choice and its fall-back to javap processes, with stand-ins for
// javap and for a java launcher that serves badly.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "kf/ejb/javapservice.h"
#include "testsupport.h"

namespace kf::ejb {
namespace {

class JavapServiceFallback : public testing::Test {
protected:
    void SetUp() override {
        bin_ = dir_.path() / "jdk" / "bin";
        std::filesystem::create_directories(bin_);
        std::filesystem::copy_file(KF_FAKE_JAVAP, bin_ / "javap");
        test::WriteBytes(dir_.path() / kJavapServiceJar, "not really a jar");
        setenv("FAKE_JAVAP_DIR", (test::DataDir() / "fakejavap").c_str(), 1);
        settings_.jdkToolDirectory = bin_.string() + "/";
    }
    void TearDown() override { unsetenv("FAKE_JAVAP_DIR"); }

    void WriteLauncher(const std::string& script) {
        test::WriteBytes(bin_ / "java", "#!/bin/sh\n" + script + "\n");
        ::chmod((bin_ / "java").c_str(), 0755);
    }
    std::string JarDirectory() const { return dir_.path().string() + "/"; }

    test::ScopedWorkingDirectory dir_;
    std::filesystem::path bin_;
    GeneratorSettings settings_;
};

TEST_F(JavapServiceFallback, UsedOnlyWithJavaBesideJavap) {
    EXPECT_FALSE(LocateJavapService(settings_, JarDirectory()));
    WriteLauncher("exit 0");
    auto location = LocateJavapService(settings_, JarDirectory());
    ASSERT_TRUE(location);
    EXPECT_EQ(location->javaLauncher, bin_.string() + "/java");
    EXPECT_EQ(location->serviceJar, JarDirectory() + kJavapServiceJar);
    // Without the jar next to the generator there is no service either.
    EXPECT_FALSE(LocateJavapService(settings_, JarDirectory() + "elsewhere/"));
}

TEST_F(JavapServiceFallback, BrokenServicesFallBackWithTheSameOutcome) {
    const char* launchers[] = {
        "exit 3",                                      // ends at once
        "read line; echo 'garbage'",                   // answers nonsense
        "read line; printf '0 100 0\\nshort'",         // promises more than it sends
        "read line; printf '0 99999999999999999999 0\\n'", // a length that does not fit
        "read line; sleep 0.2",                        // closes without an answer
    };
    ProcessJavapRunner direct(settings_);
    const JavapOutcome expected = direct.Describe("com.acme.Account");
    const JavapOutcome missing = direct.Describe("com.acme.Nope");
    ASSERT_TRUE(expected.success);
    for (const char* launcher : launchers) {
        WriteLauncher(launcher);
        auto location = LocateJavapService(settings_, JarDirectory());
        ASSERT_TRUE(location);
        JavapServiceRunner runner(settings_, *location);
        JavapOutcome outcome = runner.Describe("com.acme.Account");
        EXPECT_FALSE(runner.ServiceAlive()) << launcher;
        EXPECT_EQ(outcome.success, expected.success) << launcher;
        EXPECT_EQ(outcome.output, expected.output) << launcher;
        JavapOutcome failed = runner.Describe("com.acme.Nope");
        EXPECT_EQ(failed.errorText, missing.errorText) << launcher;
    }
    EXPECT_EQ(dir_.Files(), (std::set<std::string>{"jdk", kJavapServiceJar}));
}

TEST_F(JavapServiceFallback, ServiceAnswersAreTakenAsJavapOutput) {
    // A launcher that answers every request with a fixed description, then a failure.
    WriteLauncher("read a; printf '0 5 0\\nhello'; read b; printf '1 0 4\\noops'; read c");
    auto location = LocateJavapService(settings_, JarDirectory());
    ASSERT_TRUE(location);
    JavapServiceRunner runner(settings_, *location);
    JavapOutcome first = runner.Describe("a.First");
    EXPECT_TRUE(first.success);
    EXPECT_EQ(first.output, "hello");
    JavapOutcome second = runner.Describe("a.Second");
    EXPECT_FALSE(second.success);
    EXPECT_EQ(second.errorText, "oops");
    EXPECT_TRUE(runner.ServiceAlive());
    // Names that could be taken for options never reach the service.
    EXPECT_EQ(runner.Describe("-version").errorText, "Can't get information of -version");
}

} // namespace
} // namespace kf::ejb
