// The plug-in's settings key: strings and double words by name. On Windows the host
// opens it over the registry; on Linux, and wherever no registry key is wanted, this
// in-memory store serves.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace kf::pluginhost {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool WriteString(const std::u16string& name, const std::u16string& value) = 0;
    virtual bool WriteDword(const std::u16string& name, std::uint32_t value) = 0;
    // Absent values, and values of the other kind, read as nothing.
    virtual std::optional<std::u16string> ReadString(const std::u16string& name) const = 0;
    virtual std::optional<std::uint32_t> ReadDword(const std::u16string& name) const = 0;
};

class MemorySettings final : public SettingsStore {
public:
    bool WriteString(const std::u16string& name, const std::u16string& value) override;
    bool WriteDword(const std::u16string& name, std::uint32_t value) override;
    std::optional<std::u16string> ReadString(const std::u16string& name) const override;
    std::optional<std::uint32_t> ReadDword(const std::u16string& name) const override;

private:
    // Value names ignore case, as registry value names do.
    std::map<std::u16string, std::variant<std::u16string, std::uint32_t>> values_;
};

} // namespace kf::pluginhost
