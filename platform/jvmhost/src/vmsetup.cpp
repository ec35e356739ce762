#include "kf/jvmhost/vmsetup.h"

#include <sstream>

namespace kf::jvmhost {
namespace {

#if defined(_WIN32)
constexpr char kPathListSeparator = ';';
#else
constexpr char kPathListSeparator = ':';
#endif

std::string Join(const std::string& folder, const std::string& rest) {
#if defined(_WIN32)
    const char sep = '\\';
#else
    const char sep = '/';
#endif
    if (folder.empty())
        return rest;
    if (folder.back() == '/' || folder.back() == '\\')
        return folder + rest;
    return folder + sep + rest;
}

} // namespace

std::vector<std::string> JvmLibraryCandidates(const std::string& javaHome) {
    if (javaHome.empty())
        return {};
#if defined(_WIN32)
    return {Join(javaHome, "bin\\server\\jvm.dll"), Join(javaHome, "bin\\client\\jvm.dll"),
            Join(javaHome, "jre\\bin\\server\\jvm.dll"),
            Join(javaHome, "jre\\bin\\client\\jvm.dll")};
#else
    return {Join(javaHome, "lib/server/libjvm.so"), Join(javaHome, "lib/client/libjvm.so"),
            Join(javaHome, "jre/lib/amd64/server/libjvm.so")};
#endif
}

std::vector<std::string> VmOptions(const std::string& companionJar,
                                   const std::optional<std::string>& classPathVariable,
                                   const std::optional<std::string>& extraOptions) {
    std::string classPath = companionJar;
    if (classPathVariable && !classPathVariable->empty()) {
        classPath += kPathListSeparator;
        classPath += *classPathVariable;
    }
    std::vector<std::string> options{"-Djava.class.path=" + classPath, "-Xrs"};
    if (extraOptions) {
        std::istringstream in(*extraOptions);
        for (std::string word; in >> word;)
            options.push_back(word);
    }
    return options;
}

} // namespace kf::jvmhost
