// Programs and files of a Wine test: paths beside the test program, build tree paths as Wine
// sees them, and running a command line to its end.
#pragma once

#include <string>
#include <string_view>

namespace kf::wintest {

// A file in the test program's folder (the builds copy DLLs and data there).
std::wstring Beside(std::wstring_view name);
// A Linux path of the build tree under Wine's Z: drive, with backslashes: regsvr32 only finds
// a DLL's load-time imports beside it when the path is written that way.
std::wstring WinePath(std::string_view unixPath);
// Runs a command line, waits for it and returns its exit code (-1 when it could not start).
int RunProcess(const std::wstring& commandLine);
// The whole file, empty when it cannot be read.
std::string ReadFile(const std::wstring& path);

} // namespace kf::wintest
