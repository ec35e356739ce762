// Stand-in for the JDK's javap.exe in the Wine tests: prints %FAKE_JAVAP_DIR%\<class>.txt
// for the class named by its last argument, and fails like javap (message on standard
// error, exit code 1) for classes it has no text for. With %FAKE_JAVAP_LOG% set it
// appends its exact command line there, one line per run, and whether the generator's
// temporary files exist (and can be opened while the generator holds them).

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Narrow(const wchar_t* text) {
    char buffer[4096];
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer) : std::string();
}

bool CanOpen(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

} // namespace

int main() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 2) {
        std::fprintf(stderr, "fake javap: no class name\n");
        return 2;
    }
    const std::string name = Narrow(args[count - 1]);
    LocalFree(args);

    if (const char* log = std::getenv("FAKE_JAVAP_LOG")) {
        if (FILE* f = std::fopen(log, "ab")) {
            const bool temporaries = CanOpen(name + ".txt") && CanOpen(name + ".er");
            std::fprintf(f, "%s|%d|%s\n", GetCommandLineA(), count - 1,
                         temporaries ? "temporaries-present" : "temporaries-missing");
            std::fclose(f);
        }
    }

    const char* dir = std::getenv("FAKE_JAVAP_DIR");
    const std::string path = std::string(dir ? dir : ".") + "\\" + name + ".txt";
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        std::fprintf(stderr, "Error: class not found: %s\n", name.c_str());
        return 1;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, n, stdout);
    std::fclose(in);
    return 0;
}
