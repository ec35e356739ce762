#include "kf/model/registrar.h"

namespace kf::model {
namespace {

std::u16string Join(const std::u16string& parent, const std::u16string& name) {
    return parent.empty() ? name : parent + u'\\' + name;
}

ResultCode Register(RegistryRoot root, const std::u16string& parent, const ScriptKey& key,
                    RegistryEditor& registry) {
    const std::u16string path = Join(parent, key.name);
    ResultCode rc = kOk;
    if (key.mode == KeyMode::ForceRemove && (rc = registry.DeleteTree(root, path)) < 0)
        return rc;
    if ((rc = registry.CreateKey(root, path)) < 0)
        return rc;
    if (key.defaultValue && (rc = registry.SetValue(root, path, u"", *key.defaultValue)) < 0)
        return rc;
    for (const auto& [name, value] : key.values)
        if ((rc = registry.SetValue(root, path, name, value)) < 0)
            return rc;
    for (const ScriptKey& sub : key.subkeys)
        if ((rc = Register(root, path, sub, registry)) < 0)
            return rc;
    return kOk;
}

ResultCode Unregister(RegistryRoot root, const std::u16string& parent, const ScriptKey& key,
                      RegistryEditor& registry) {
    const std::u16string path = Join(parent, key.name);
    if (key.mode == KeyMode::ForceRemove)
        return registry.DeleteTree(root, path);
    if (!registry.KeyExists(root, path))
        return kOk;
    ResultCode rc = kOk;
    for (const ScriptKey& sub : key.subkeys)
        if ((rc = Unregister(root, path, sub, registry)) < 0)
            return rc;
    if (key.mode == KeyMode::NoRemove)
        return kOk;
    for (const auto& entry : key.values)
        if ((rc = registry.DeleteValue(root, path, entry.first)) < 0)
            return rc;
    if (key.defaultValue && (rc = registry.DeleteValue(root, path, u"")) < 0)
        return rc;
    return registry.DeleteKeyIfEmpty(root, path);
}

} // namespace

ResultCode RunScript(const Script& script, RegistrarMode mode, RegistryEditor& registry) {
    for (const ScriptRoot& root : script.roots) {
        for (const ScriptKey& key : root.keys) {
            ResultCode rc = mode == RegistrarMode::Register
                                ? Register(root.root, u"", key, registry)
                                : Unregister(root.root, u"", key, registry);
            if (rc < 0)
                return rc;
        }
    }
    return kOk;
}

} // namespace kf::model
