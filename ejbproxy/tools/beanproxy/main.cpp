// beanproxy: generates script proxies for an EJB's remote and home interfaces.

#include <string>
#include <vector>

#include "kf/ejb/commandline.h"
#include "kf/ejb/generator.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (auto request = kf::ejb::ScanArguments(arguments)) {
        kf::ejb::GenerateEjbProxies(*request);
    } else {
        kf::ejb::PrintUsage(stderr, argc > 0 ? argv[0] : "beanproxy");
    }
    // The result of a run is told by the files it leaves, never by the exit code.
    return 1;
}
