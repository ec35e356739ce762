// Loading shared libraries: dlopen on POSIX, LoadLibraryW on Windows (module_*.cpp).
#pragma once

#include <string>

#include "kf/rt/types.h"

namespace kf::rt {

// None on failure, with the system's reason in `error`. `path` is UTF-8.
ModuleHandle OpenModule(const std::string& path, std::string& error);
void* ModuleSymbol(ModuleHandle module, const char* name);
void CloseModule(ModuleHandle module);

}  // namespace kf::rt
