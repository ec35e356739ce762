// A stand-in for javap in tests: prints $FAKE_JAVAP_DIR/<class>.txt for the class named by
// its last argument and fails like javap for classes it has no text for. When
// $FAKE_JAVAP_LOG is set it appends its arguments there, one line per run, and notes
// whether the generator's temporary files exist while it runs.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "fake javap: no class name\n";
        return 2;
    }
    const std::string name = argv[argc - 1];
    if (const char* log = std::getenv("FAKE_JAVAP_LOG")) {
        std::ofstream out(log, std::ios::app);
        for (int i = 1; i < argc; ++i) out << (i > 1 ? " " : "") << "[" << argv[i] << "]";
        const bool temporaries = std::filesystem::exists(name + ".txt") &&
                                 std::filesystem::exists(name + ".er");
        out << (temporaries ? " temporaries-present" : " temporaries-missing") << "\n";
    }
    const char* dir = std::getenv("FAKE_JAVAP_DIR");
    std::ifstream in(std::filesystem::path(dir ? dir : ".") / (name + ".txt"), std::ios::binary);
    if (!in) {
        std::cerr << "Error: class not found: " << name << "\n";
        return 1;
    }
    std::cout << std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return 0;
}
