// The class path and JDK tool directory of a run.

#include "kf/ejb/settings.h"

#include <algorithm>
#include <cctype>

#include "kf/registry/registry.h"

namespace kf::ejb {

using kf::registry::Hive;

namespace {
constexpr int kMaxSysClassPathEntries = 65536;
}

int TextToInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) value = 2147483648LL; // saturate instead of overflowing
    }
    if (negative) value = -value;
    if (value > 2147483647LL) value = 2147483647LL;
    return static_cast<int>(value);
}

GeneratorSettings GatherSettings(const std::optional<std::string>& classPathList,
                                 const std::optional<std::string>& classPathVariable,
                                 const kf::registry::RegistryReader& registry,
                                 PathConventions paths) {
    GeneratorSettings settings;
    if (classPathList) {
        std::string path = *classPathList + paths.listSeparator;
        if (classPathVariable) path += *classPathVariable + paths.listSeparator;
        if (auto count = registry.ReadString(Hive::LocalMachine, kSysClassPathKey, "Count",
                                             kRegistryBufferSize)) {
            // A corrupt count must not keep the run reading for hours.
            const int n = std::min(TextToInteger(*count), kMaxSysClassPathEntries);
            for (int i = 0; i < n; ++i) {
                auto entry = registry.ReadString(Hive::LocalMachine, kSysClassPathKey,
                                                 std::to_string(i), kRegistryBufferSize);
                // A missing index ends nothing: later ones may still be there.
                if (entry) path += *entry + paths.listSeparator;
            }
        }
        settings.classPath = std::move(path);
    }

    if (auto jdk = registry.ReadString(Hive::LocalMachine, kJavaKey, "JDKLocation",
                                       kRegistryBufferSize)) {
        const std::string sep(1, paths.directorySeparator);
        const bool endsInSeparator = !jdk->empty() && jdk->back() == paths.directorySeparator;
        settings.jdkToolDirectory = *jdk + (endsInSeparator ? "bin" + sep : sep + "bin" + sep);
    }
    return settings;
}

std::string ClassPathOptionText(const GeneratorSettings& settings) {
    if (!settings.classPath) return {};
    return "-classpath \"" + *settings.classPath + "\" ";
}

} // namespace kf::ejb
