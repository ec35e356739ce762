// The registration walk of the whole server: every class's script in table order, the
// first failure ending the walk. The Windows exports add the type library step.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "kf/model/classtable.h"
#include "kf/model/registrar.h"

namespace kf::model {

// Gives the text of a class's registration script; empty when it cannot be loaded.
using ScriptLoader = std::function<std::optional<std::u16string>(const ClassEntry&)>;

// MODULE = the library's full path, major_num = "10", minor_num = "0".
Replacements ModuleReplacements(const std::u16string& modulePath);

// Returns kOk, kFail for a script that is missing or malformed, or the registry's error.
ResultCode RunClassScripts(RegistrarMode mode, const ScriptLoader& load,
                           const Replacements& replacements, RegistryEditor& registry);

} // namespace kf::model
