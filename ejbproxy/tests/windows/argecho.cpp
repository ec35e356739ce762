// Test child: prints its raw command line, then each argument as the Windows argument
// rules split it, one per line; writes a marker to standard error; exits with the code
// in KF_ARGECHO_EXIT (default 0).

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
    std::printf("%s\n", GetCommandLineA());
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        char narrow[4096];
        int n = WideCharToMultiByte(CP_ACP, 0, args[i], -1, narrow, sizeof narrow, nullptr, nullptr);
        std::printf("%s\n", n > 0 ? narrow : "<unconvertible>");
    }
    LocalFree(args);
    std::fprintf(stderr, "argecho stderr\n");
    const char* code = std::getenv("KF_ARGECHO_EXIT");
    return code ? std::atoi(code) : 0;
}
