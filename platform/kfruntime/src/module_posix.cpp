#include <dlfcn.h>

#include "kf/kfruntime/module.h"

namespace kf::rt {

ModuleHandle OpenModule(const std::string& path, std::string& error) {
  // A bare name would be searched on the library path; we always mean a file.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "cannot be loaded";
  }
  return module;
}

void* ModuleSymbol(ModuleHandle module, const char* name) { return dlsym(module, name); }

void CloseModule(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

}  // namespace kf::rt
