// The registrar's registry operations over the Windows registry.
#pragma once

#include "kf/model/registrar.h"

namespace kf::model {

class WindowsRegistry final : public RegistryEditor {
public:
    ResultCode CreateKey(RegistryRoot root, const std::u16string& path) override;
    bool KeyExists(RegistryRoot root, const std::u16string& path) override;
    ResultCode DeleteTree(RegistryRoot root, const std::u16string& path) override;
    ResultCode DeleteKeyIfEmpty(RegistryRoot root, const std::u16string& path) override;
    ResultCode SetValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                        const RegistryValue& value) override;
    ResultCode DeleteValue(RegistryRoot root, const std::u16string& path,
                           const std::u16string& name) override;
};

} // namespace kf::model
