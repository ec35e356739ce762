// Shared set-up of the Wine tests: paths beside the test program, running programs,
// registering the server with regsvr32, and a reader over the real registry for the
// registry dump the Linux tests use too.
#pragma once

#include <windows.h>

#include <string>

#include "registrysnapshot.h"

namespace kf::model::wintest {

// A file beside the test program (the build copies the server and its helpers there).
std::wstring Beside(const wchar_t* name);
std::wstring ServerPath(); // full path of modelbridge.dll
std::string ReadFile(const std::wstring& path);

// Runs a command line, waits, and returns its exit code (-1 when it could not start).
int Run(const std::wstring& commandLine);
int Regsvr32(bool unregister);

class WindowsRegistryReader final : public testing::RegistryReader {
public:
    bool Exists(RegistryRoot root, const std::u16string& path) override;
    std::vector<std::u16string> SubKeys(RegistryRoot root, const std::u16string& path) override;
    std::vector<std::pair<std::u16string, RegistryValue>>
    Values(RegistryRoot root, const std::u16string& path) override;
};

std::u16string U16(const std::wstring& text);

} // namespace kf::model::wintest
