#include "kf/kfruntime/extension.h"

#include "kf/kfruntime/description.h"
#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/module.h"
#include "kf/kfruntime/runtime.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {
namespace {

// A description text longer than this is taken as a missing terminator.
constexpr std::size_t kMaxDescription = 1 << 20;

}  // namespace

ExtensionLibrary::ExtensionLibrary(std::string path, ModuleHandle module)
    : path_(std::move(path)), module_(module) {}

ExtensionLibrary::~ExtensionLibrary() { CloseModule(module_); }

ExtensionLibrary& LoadExtension(Runtime& runtime, const std::string& path) {
  std::string reason;
  ModuleHandle module = OpenModule(path, reason);
  if (module == nullptr) throw Error(path, 0, "cannot load the extension library: " + reason);
  auto library = std::make_unique<ExtensionLibrary>(path, module);

  auto symbol = [&](const char* name) {
    void* p = ModuleSymbol(module, name);
    if (p == nullptr) throw Error(path, 0, std::string("the library does not export ") + name);
    return p;
  };
  auto getVersion = reinterpret_cast<GetVersionFn>(symbol(kGetVersionName));
  auto getDescription = reinterpret_cast<GetDescriptionFn>(symbol(kGetDescriptionName));
  library->create_ =
      reinterpret_cast<CreateNonVisualObjectFn>(symbol(kCreateNonVisualObjectName));
  library->version_ = getVersion();
  const char16_t* text = getDescription();
  if (text == nullptr) throw Error(path, 0, "KFX_GetDescription gave no text");
  std::size_t length = 0;
  while (length < kMaxDescription && text[length] != 0) ++length;
  if (length == kMaxDescription) throw Error(path, 0, "the class description has no end");
  library->description_.assign(text, length);

  auto classes = ParseDescription(library->description_, path);
  // Check every class before adding any, so a failed library leaves nothing behind.
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const ClassDef& c = *classes[i];
    if (runtime.FindClass(c.name) != nullptr)
      throw Error(path, c.line, "class " + Narrow(c.name) + " is already defined");
    bool ancestorKnown = runtime.FindClass(c.ancestorName) != nullptr;
    for (std::size_t j = 0; j < i && !ancestorKnown; ++j)
      ancestorKnown = EqualsNoCase(classes[j]->name, c.ancestorName);
    if (!ancestorKnown)
      throw Error(path, c.line,
                  "unknown ancestor class " + Narrow(c.ancestorName) + " of " + Narrow(c.name));
    for (std::size_t j = 0; j < i; ++j)
      if (EqualsNoCase(classes[j]->name, c.name))
        throw Error(path, c.line, "class " + Narrow(c.name) + " is declared twice");
  }
  ExtensionLibrary& kept = runtime.AdoptLibrary(std::move(library));
  for (auto& c : classes) {
    c->extension = &kept;
    runtime.AddClass(std::move(c), GroupKind::Exception);
  }
  return kept;
}

}  // namespace kf::rt
