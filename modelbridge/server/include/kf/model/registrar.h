// Runs a parsed registration script against a registry, in register or unregister mode.
//
// Register: a ForceRemove key is deleted with everything below it and rebuilt; every key
// is created and its default value and `val` entries written.
// Unregister: a ForceRemove key is deleted whole; a NoRemove key is kept and only its
// subkeys are visited; a plain key loses the values the script names and is then deleted
// when nothing else is left in it, so that what others stored there survives. Keys and
// values that are already gone are not an error.
#pragma once

#include <cstdint>
#include <string>

#include "kf/model/rgsscript.h"

namespace kf::model {

// HRESULT-style codes: 0 success, negative failure (the Windows edge passes the
// registry's error through as HRESULT_FROM_WIN32).
using ResultCode = std::int32_t;
inline constexpr ResultCode kOk = 0;
inline constexpr ResultCode kFail = static_cast<ResultCode>(0x80004005); // E_FAIL

// The registry operations the registrar needs. Paths are relative to the root, their
// components joined by '\'. An empty value name is the key's default value.
class RegistryEditor {
public:
    virtual ~RegistryEditor() = default;
    virtual ResultCode CreateKey(RegistryRoot root, const std::u16string& path) = 0;
    virtual bool KeyExists(RegistryRoot root, const std::u16string& path) = 0;
    // Deletes the key and everything below it; an absent key is success.
    virtual ResultCode DeleteTree(RegistryRoot root, const std::u16string& path) = 0;
    // Deletes the key when it has neither subkeys nor values; otherwise leaves it.
    virtual ResultCode DeleteKeyIfEmpty(RegistryRoot root, const std::u16string& path) = 0;
    virtual ResultCode SetValue(RegistryRoot root, const std::u16string& path,
                                const std::u16string& name, const RegistryValue& value) = 0;
    // An absent value is success.
    virtual ResultCode DeleteValue(RegistryRoot root, const std::u16string& path,
                                   const std::u16string& name) = 0;
};

enum class RegistrarMode { Register, Unregister };

// Returns kOk or the first failure; the walk stops at that failure.
ResultCode RunScript(const Script& script, RegistrarMode mode, RegistryEditor& registry);

} // namespace kf::model
