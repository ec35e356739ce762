// How the host finds the Java runtime and what it starts the VM with; the portable part.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kf::jvmhost {

// The JVM library candidates for a JDK or JRE folder, most likely first.
std::vector<std::string> JvmLibraryCandidates(const std::string& javaHome);

// The VM options: the companion jar (and CLASSPATH, when set) as class path, signals left
// to the host process, then the extra options of KF_JVM_OPTIONS split at white space.
std::vector<std::string> VmOptions(const std::string& companionJar,
                                   const std::optional<std::string>& classPathVariable,
                                   const std::optional<std::string>& extraOptions);

inline constexpr const char* kCompanionJarName = "uddi-java.jar";

} // namespace kf::jvmhost
