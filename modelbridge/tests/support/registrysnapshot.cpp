#include "registrysnapshot.h"

#include <algorithm>
#include <cstdio>

#include "kf/model/classtable.h"

namespace kf::model::testing {
namespace {

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

std::u16string LowerText(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = Lower(c);
    return out;
}

std::vector<std::u16string> SplitPath(const std::u16string& path) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= path.size() && !path.empty()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos)
            end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

const char* RootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return "HKCR";
    case RegistryRoot::CurrentUser:
        return "HKCU";
    case RegistryRoot::LocalMachine:
        return "HKLM";
    case RegistryRoot::Users:
        return "HKU";
    }
    return "?";
}

std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    for (char c : ToUtf8(text)) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

bool LessNoCase(const std::u16string& a, const std::u16string& b) {
    return LowerText(a) < LowerText(b);
}

void DumpKey(RegistryReader& registry, RegistryRoot root, const std::u16string& path,
             std::string& out) {
    out += std::string("[") + RootName(root) + "\\" + ToUtf8(path) + "]\n";
    auto values = registry.Values(root, path);
    std::sort(values.begin(), values.end(),
              [](const auto& a, const auto& b) { return LessNoCase(a.first, b.first); });
    for (const auto& [name, value] : values) {
        out += name.empty() ? std::string("@") : Quote(name);
        out += '=';
        if (value.type == RegistryValue::Type::Dword) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(value.number));
            out += buf;
        } else {
            out += Quote(value.text);
        }
        out += '\n';
    }
    auto subkeys = registry.SubKeys(root, path);
    std::sort(subkeys.begin(), subkeys.end(), LessNoCase);
    for (const auto& sub : subkeys)
        DumpKey(registry, root, path + u'\\' + sub, out);
}

} // namespace

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else { // surrogates are not expected in registry names here
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::string DumpTree(RegistryReader& registry, RegistryRoot root, const std::u16string& path) {
    std::string out;
    if (registry.Exists(root, path))
        DumpKey(registry, root, path, out);
    return out;
}

std::string DumpPluginKeys(RegistryReader& registry) {
    std::string out;
    auto top = registry.SubKeys(RegistryRoot::ClassesRoot, u"");
    std::sort(top.begin(), top.end(), LessNoCase);
    const std::u16string prefix = LowerText(kProgIdPrefix);
    for (const auto& name : top)
        if (LowerText(name).rfind(prefix, 0) == 0)
            out += DumpTree(registry, RegistryRoot::ClassesRoot, name);
    for (const ClassEntry& entry : kClassTable)
        out += DumpTree(registry, RegistryRoot::ClassesRoot, u"CLSID\\" + ClassIdText(entry));
    const std::u16string plugins = u"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins";
    out += DumpTree(registry, RegistryRoot::LocalMachine, plugins);
    out += DumpTree(registry, RegistryRoot::CurrentUser, plugins);
    return out;
}

// --- MemoryRegistry ---------------------------------------------------------------------

bool MemoryRegistry::Write() {
    if (failAfterWrites == 0)
        return false;
    if (failAfterWrites > 0)
        --failAfterWrites;
    return true;
}

MemoryRegistry::Node* MemoryRegistry::Find(RegistryRoot root, const std::u16string& path) {
    Node* node = &roots_[root];
    for (const auto& part : SplitPath(path)) {
        auto it = node->children.find(LowerText(part));
        if (it == node->children.end())
            return nullptr;
        node = &it->second;
    }
    return node;
}

ResultCode MemoryRegistry::CreateKey(RegistryRoot root, const std::u16string& path) {
    if (!Write())
        return kFail;
    Node* node = &roots_[root];
    for (const auto& part : SplitPath(path)) {
        Node& child = node->children[LowerText(part)];
        if (child.name.empty())
            child.name = part;
        node = &child;
    }
    return kOk;
}

bool MemoryRegistry::KeyExists(RegistryRoot root, const std::u16string& path) {
    return Find(root, path) != nullptr;
}

ResultCode MemoryRegistry::DeleteTree(RegistryRoot root, const std::u16string& path) {
    if (!Write())
        return kFail;
    auto parts = SplitPath(path);
    if (parts.empty())
        return kFail;
    std::u16string last = parts.back();
    parts.pop_back();
    Node* parent = &roots_[root];
    for (const auto& part : parts) {
        auto it = parent->children.find(LowerText(part));
        if (it == parent->children.end())
            return kOk;
        parent = &it->second;
    }
    parent->children.erase(LowerText(last));
    return kOk;
}

ResultCode MemoryRegistry::DeleteKeyIfEmpty(RegistryRoot root, const std::u16string& path) {
    Node* node = Find(root, path);
    if (!node || !node->children.empty() || !node->values.empty())
        return kOk;
    return DeleteTree(root, path);
}

ResultCode MemoryRegistry::SetValue(RegistryRoot root, const std::u16string& path,
                                    const std::u16string& name, const RegistryValue& value) {
    Node* node = Find(root, path);
    if (!node)
        return kFail;
    if (!Write())
        return kFail;
    node->values[LowerText(name)] = {name, value};
    return kOk;
}

ResultCode MemoryRegistry::DeleteValue(RegistryRoot root, const std::u16string& path,
                                       const std::u16string& name) {
    Node* node = Find(root, path);
    if (!node)
        return kOk;
    if (!Write())
        return kFail;
    node->values.erase(LowerText(name));
    return kOk;
}

std::vector<std::u16string> MemoryRegistry::SubKeys(RegistryRoot root, const std::u16string& path) {
    std::vector<std::u16string> names;
    if (Node* node = Find(root, path))
        for (const auto& [key, child] : node->children)
            names.push_back(child.name);
    return names;
}

std::vector<std::pair<std::u16string, RegistryValue>>
MemoryRegistry::Values(RegistryRoot root, const std::u16string& path) {
    std::vector<std::pair<std::u16string, RegistryValue>> values;
    if (Node* node = Find(root, path))
        for (const auto& [key, entry] : node->values)
            values.push_back(entry);
    return values;
}

} // namespace kf::model::testing
