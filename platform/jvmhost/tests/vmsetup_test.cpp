// What the host starts the VM with and where it looks for the JVM library.
#include "kf/jvmhost/vmsetup.h"

#include <gtest/gtest.h>

namespace kf::jvmhost {
namespace {

#if defined(_WIN32)
constexpr const char* kSep = ";";
#else
constexpr const char* kSep = ":";
#endif

TEST(VmOptions, ClassPathSignalsAndExtraOptions) {
    using Strings = std::vector<std::string>;
    EXPECT_EQ(VmOptions("/x/uddi-java.jar", std::nullopt, std::nullopt),
              (Strings{"-Djava.class.path=/x/uddi-java.jar", "-Xrs"}));
    EXPECT_EQ(VmOptions("/x/uddi-java.jar", std::string(""), std::string("  ")),
              (Strings{"-Djava.class.path=/x/uddi-java.jar", "-Xrs"}));
    EXPECT_EQ(VmOptions("a.jar", std::string("b.jar"), std::string(" -Xcheck:jni\t-Xmx32m ")),
              (Strings{std::string("-Djava.class.path=a.jar") + kSep + "b.jar", "-Xrs",
                       "-Xcheck:jni", "-Xmx32m"}));
}

TEST(JvmLibraryCandidates, ServerLibraryOfTheJavaHomeComesFirst) {
    EXPECT_TRUE(JvmLibraryCandidates("").empty());
    const auto candidates = JvmLibraryCandidates("/opt/jdk/");
    ASSERT_FALSE(candidates.empty());
#if defined(_WIN32)
    EXPECT_EQ(candidates.front(), "/opt/jdk/bin\\server\\jvm.dll");
    EXPECT_EQ(JvmLibraryCandidates("C:\\jdk").front(), "C:\\jdk\\bin\\server\\jvm.dll");
#else
    EXPECT_EQ(candidates.front(), "/opt/jdk/lib/server/libjvm.so");
    EXPECT_EQ(JvmLibraryCandidates("/opt/jdk").front(), "/opt/jdk/lib/server/libjvm.so");
#endif
}

} // namespace
} // namespace kf::jvmhost
