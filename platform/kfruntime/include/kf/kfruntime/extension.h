// A loaded extension library and its three exports.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kf/kfruntime/classes.h"
#include "kf/rt/exports.h"

namespace kf::rt {

class Runtime;

class ExtensionLibrary {
 public:
  ExtensionLibrary(std::string path, ModuleHandle module);
  ~ExtensionLibrary();
  ExtensionLibrary(const ExtensionLibrary&) = delete;
  ExtensionLibrary& operator=(const ExtensionLibrary&) = delete;

  const std::string& path() const { return path_; }
  ModuleHandle module() const { return module_; }
  std::uint32_t version() const { return version_; }
  const std::u16string& description() const { return description_; }
  CreateNonVisualObjectFn create() const { return create_; }

 private:
  friend ExtensionLibrary& LoadExtension(Runtime& runtime, const std::string& path);
  std::string path_;
  ModuleHandle module_;
  CreateNonVisualObjectFn create_ = nullptr;
  std::uint32_t version_ = 0;
  std::u16string description_;
};

// Loads a library by its three exports and adds the classes of its description (kind 6).
// Throws Error naming the library (and the description line) when anything is missing or
// malformed; nothing of a failed library stays loaded.
ExtensionLibrary& LoadExtension(Runtime& runtime, const std::string& path);

}  // namespace kf::rt
