#include "kf/pluginhost/settings.h"

#include "kf/model/names.h"

namespace kf::pluginhost {

using kf::model::FoldCase;

bool MemorySettings::WriteString(const std::u16string& name, const std::u16string& value) {
    values_[FoldCase(name)] = value;
    return true;
}

bool MemorySettings::WriteDword(const std::u16string& name, std::uint32_t value) {
    values_[FoldCase(name)] = value;
    return true;
}

std::optional<std::u16string> MemorySettings::ReadString(const std::u16string& name) const {
    auto it = values_.find(FoldCase(name));
    if (it == values_.end() || !std::holds_alternative<std::u16string>(it->second))
        return std::nullopt;
    return std::get<std::u16string>(it->second);
}

std::optional<std::uint32_t> MemorySettings::ReadDword(const std::u16string& name) const {
    auto it = values_.find(FoldCase(name));
    if (it == values_.end() || !std::holds_alternative<std::uint32_t>(it->second))
        return std::nullopt;
    return std::get<std::uint32_t>(it->second);
}

} // namespace kf::pluginhost
