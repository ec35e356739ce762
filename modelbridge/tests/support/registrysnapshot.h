// Test support shared by the Linux and the Wine tests: an in-memory registry for the
// registrar, and a text dump of the keys the plug-in's registration touches, in one
// format for both, so that one golden file describes the registry after registration.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "kf/model/registrar.h"

namespace kf::model::testing {

class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    virtual bool Exists(RegistryRoot root, const std::u16string& path) = 0;
    virtual std::vector<std::u16string> SubKeys(RegistryRoot root, const std::u16string& path) = 0;
    virtual std::vector<std::pair<std::u16string, RegistryValue>>
    Values(RegistryRoot root, const std::u16string& path) = 0;
};

// Keys and values compared case-insensitively by name, as in the Windows registry.
class MemoryRegistry final : public RegistryEditor, public RegistryReader {
public:
    ResultCode CreateKey(RegistryRoot root, const std::u16string& path) override;
    bool KeyExists(RegistryRoot root, const std::u16string& path) override;
    ResultCode DeleteTree(RegistryRoot root, const std::u16string& path) override;
    ResultCode DeleteKeyIfEmpty(RegistryRoot root, const std::u16string& path) override;
    ResultCode SetValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                        const RegistryValue& value) override;
    ResultCode DeleteValue(RegistryRoot root, const std::u16string& path,
                           const std::u16string& name) override;

    bool Exists(RegistryRoot root, const std::u16string& path) override {
        return KeyExists(root, path);
    }
    std::vector<std::u16string> SubKeys(RegistryRoot root, const std::u16string& path) override;
    std::vector<std::pair<std::u16string, RegistryValue>>
    Values(RegistryRoot root, const std::u16string& path) override;

    // Fails every write after the given number of successful ones (-1: never).
    int failAfterWrites = -1;

private:
    struct Node {
        std::u16string name;
        std::map<std::u16string, Node> children; // by lower-case name
        std::map<std::u16string, std::pair<std::u16string, RegistryValue>> values;
    };
    Node* Find(RegistryRoot root, const std::u16string& path);
    bool Write();
    std::map<RegistryRoot, Node> roots_;
};

// Subtrees that registration writes: every top-level HKCR key named KFDraftoraPlugin.*,
// the 21 class keys, and the host's plug-in keys in HKLM and HKCU.
std::string DumpPluginKeys(RegistryReader& registry);

// Dump of one subtree in the same format (keys sorted case-insensitively).
std::string DumpTree(RegistryReader& registry, RegistryRoot root, const std::u16string& path);

std::string ToUtf8(std::u16string_view text);
std::u16string FromAscii(std::string_view text);

} // namespace kf::model::testing
