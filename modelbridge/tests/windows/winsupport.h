// Shared set-up of the Wine tests: paths beside the test program, running programs,
// registering the server with regsvr32, and a reader over the real registry for the
// registry dump the Linux tests use too.
#pragma once

#include <windows.h>

#include <string>

#include "kf/wintest/process.h"
#include "registrysnapshot.h"

namespace kf::model::wintest {

using kf::wintest::Beside;
using kf::wintest::ReadFile;
using kf::wintest::RunProcess;

std::wstring ServerPath(); // full path of modelbridge.dll
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
