#include <windows.h>

#include "kf/kfruntime/module.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {

ModuleHandle OpenModule(const std::string& path, std::string& error) {
  // LoadLibraryW wants backslashes; the tests and kfrun's users may write either.
  std::u16string wide = Widen(path);
  for (auto& c : wide)
    if (c == u'/') c = u'\\';
  HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
  if (module == nullptr) error = "cannot be loaded (error " + std::to_string(GetLastError()) + ")";
  return reinterpret_cast<ModuleHandle>(module);
}

void* ModuleSymbol(ModuleHandle module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModule(ModuleHandle module) {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace kf::rt
