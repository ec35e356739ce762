// The settings key over HKCU reads what registration (regsvr32 of the plug-in) wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "../registrysettings.h"
#include "kf/wintest/process.h"

namespace {

using kf::wintest::RunProcess;
using kf::wintest::WinePath;

TEST(RegistrySettings, ReadsTheDefaultsRegistrationWroteAndWhatItWrites) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins");
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + WinePath(KF_MODELBRIDGE_DLL) + L"\""), 0);
    kf::pluginhost::RegistrySettings settings;
    EXPECT_EQ(settings.ReadDword(u"AutoOpenFiles"), std::optional<std::uint32_t>(1));
    EXPECT_EQ(settings.ReadDword(u"autosync"), std::optional<std::uint32_t>(0));
    EXPECT_FALSE(settings.ReadDword(u"TestCodeGen"));
    EXPECT_TRUE(settings.WriteString(u"Model1", u"C:\\models\\caf\u00e9.oom"));
    EXPECT_TRUE(settings.WriteDword(u"ModelCount", 12));
    EXPECT_EQ(settings.ReadString(u"Model1"),
              std::optional<std::u16string>(u"C:\\models\\caf\u00e9.oom"));
    EXPECT_EQ(settings.ReadDword(u"ModelCount"), std::optional<std::uint32_t>(12));
    EXPECT_FALSE(settings.ReadString(u"ModelCount")); // another kind reads as nothing
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u \"" + WinePath(KF_MODELBRIDGE_DLL) + L"\""), 0);
    // Unregistering keeps values it did not write; later tests in this prefix compare the
    // registry with a clean registration.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins");
}

} // namespace
