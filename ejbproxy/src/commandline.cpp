// beanproxy [-classpath pathlist] remote-interface [-home home-interface] [prefix]

#include "kf/ejb/commandline.h"

#include "kf/ejb/typemap.h"

namespace kf::ejb {

std::optional<RunRequest> ScanArguments(const std::vector<std::string>& arguments) {
    RunRequest request;
    std::size_t pos = 0;
    if (!arguments.empty() && ToLowerAscii(arguments[0]) == "-classpath") {
        if (arguments.size() > 1) request.classPathList = arguments[1];
        pos = 2;
    }
    if (pos >= arguments.size()) return std::nullopt;
    request.remoteInterface = arguments[pos++];

    if (pos < arguments.size() && ToLowerAscii(arguments[pos]) == "-home") {
        if (pos + 1 < arguments.size()) request.homeInterface = arguments[pos + 1];
        pos += 2;
    }
    if (pos + 1 == arguments.size()) request.prefix = arguments[pos];
    return request;
}

void PrintUsage(std::FILE* out, const char* programName) {
    std::fprintf(out,
                 " Usage: %s [-classpath pathlists] Fully-Qualified Remote Interface Class Name "
                 "[-home Fully-Qualified Home Interface Class Name] [prefix] \n",
                 programName);
    std::fprintf(out, "\n");
    std::fprintf(out, "The prefix will be prepended to the KF proxy name generated\n");
}

} // namespace kf::ejb
