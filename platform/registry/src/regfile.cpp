// Reader for .reg export files: keys in brackets, "name"="string" values, @ for the default.

#include "kf/registry/regfile.h"

#include <cstdint>

namespace kf::registry {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// regedit writes UTF-16LE with a byte order mark; REGEDIT4 files are narrow text.
std::string ToNarrow(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::string out;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            std::uint32_t unit = static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8);
            if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
                std::uint32_t low = static_cast<unsigned char>(bytes[i + 2]) |
                                    (static_cast<unsigned char>(bytes[i + 3]) << 8);
                if (low >= 0xDC00 && low < 0xE000) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            AppendUtf8(out, unit);
        }
        return out;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return std::string(bytes);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Reads a quoted, backslash-escaped text starting at s[pos] == '"'; pos ends after it.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < s.size()) c = s[++pos];
        out += c;
    }
    return false;
}

std::string HivePrefix(Hive hive) {
    return hive == Hive::LocalMachine ? "hkey_local_machine" : "hkey_current_user";
}

std::string KeyId(std::string_view path) {
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    std::string id = Lower(path);
    // Accept the short hive names too.
    if (id.starts_with("hklm\\") || id == "hklm") id.replace(0, 4, "hkey_local_machine");
    if (id.starts_with("hkcu\\") || id == "hkcu") id.replace(0, 4, "hkey_current_user");
    return id;
}

} // namespace

RegFileRegistry RegFileRegistry::Parse(std::string_view bytes) {
    RegFileRegistry registry;
    const std::string text = ToNarrow(bytes);
    Key* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;

        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            current = nullptr;
            if (line.back() != ']') continue;
            std::string_view path = line.substr(1, line.size() - 2);
            if (path.starts_with("-")) {
                registry.keys_.erase(KeyId(path.substr(1)));
                continue;
            }
            current = &registry.keys_[KeyId(path)];
            continue;
        }
        if (current == nullptr) continue;

        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (!ReadQuoted(line, pos, name)) {
            continue;
        }
        std::string_view rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != '=') continue;
        rest = Trim(rest.substr(1));
        const std::string key = Lower(name);
        if (rest == "-") {
            current->strings.erase(key);
            continue;
        }
        std::string data;
        std::size_t dataPos = 0;
        if (ReadQuoted(rest, dataPos, data)) {
            current->strings[key] = std::move(data);
        } else {
            current->strings.erase(key); // a value of another type replaces a string
        }
    }
    return registry;
}

bool RegFileRegistry::KeyExists(Hive hive, std::string_view keyPath) const {
    return keys_.contains(KeyId(HivePrefix(hive) + "\\" + std::string(keyPath)));
}

std::optional<std::string> RegFileRegistry::ReadString(Hive hive, std::string_view keyPath,
                                                       std::string_view valueName,
                                                       std::size_t bufferSize) const {
    auto key = keys_.find(KeyId(HivePrefix(hive) + "\\" + std::string(keyPath)));
    if (key == keys_.end()) return std::nullopt;
    auto value = key->second.strings.find(Lower(valueName));
    if (value == key->second.strings.end()) return std::nullopt;
    if (value->second.size() + 1 > bufferSize) return std::nullopt;
    return value->second;
}

} // namespace kf::registry
