#pragma once
// Settings gathered once per run: the class path handed to javap and the JDK tool directory.

#include <optional>
#include <string>

namespace kf::registry {
class RegistryReader;
}

namespace kf::ejb {

// Separators of the platform a run targets; tests use both on any host.
struct PathConventions {
    char listSeparator;      // between class path entries
    char directorySeparator; // ends the JDK tool directory
};
inline constexpr PathConventions kWindowsPaths{';', '\\'};
inline constexpr PathConventions kPosixPaths{':', '/'};
#ifdef _WIN32
inline constexpr PathConventions kHostPaths = kWindowsPaths;
#else
inline constexpr PathConventions kHostPaths = kPosixPaths;
#endif

inline constexpr const char* kKestrelforgeKey = "SOFTWARE\\Tevron\\Kestrelforge\\10.0";
inline constexpr const char* kJavaKey = "SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java";
inline constexpr const char* kSysClassPathKey =
    "SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java\\KFIDEConfig\\KFSysclasspath";
inline constexpr std::size_t kRegistryBufferSize = 260;

struct GeneratorSettings {
    // The class path javap gets, each entry followed by the list separator; set only
    // when the caller passed a class path list (even an empty one).
    std::optional<std::string> classPath;
    // Empty, or a directory ending in the directory separator.
    std::string jdkToolDirectory;
};

// classPathList: the caller's list or nullopt; classPathVariable: the CLASSPATH variable.
GeneratorSettings GatherSettings(const std::optional<std::string>& classPathList,
                                 const std::optional<std::string>& classPathVariable,
                                 const kf::registry::RegistryReader& registry,
                                 PathConventions paths = kHostPaths);

// The option text as the Windows command line carries it: empty, or
// "-classpath \"" + class path + "\" ".
std::string ClassPathOptionText(const GeneratorSettings& settings);

// The usual text-to-integer rule: leading blanks and a sign, digits up to the first
// non-digit, 0 when there are none.
int TextToInteger(const std::string& text);

} // namespace kf::ejb
