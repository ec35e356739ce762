// MapJavaType, MakeProxyName and LegaliseMemberName.

#include "kf/ejb/typemap.h"

#include <string_view>

#include "kf/ejb/classresolver.h"
#include "kf/ejb/javaclassproxy.h"

namespace kf::ejb {
namespace {

struct TypeRow {
    std::string_view java;
    std::string_view script;
};

constexpr TypeRow kSimpleTypes[] = {
    {"void", ""},       {"short", "int"},      {"int", "long"},         {"long", "longlong"},
    {"float", "real"},  {"double", "double"},  {"boolean", "boolean"},  {"byte", "int"},
    {"char", "char"},   {"java.lang.String", "string"}, {"java.util.Date", "datetime"},
};

constexpr TypeRow kObjectTypes[] = {
    {"java.lang.Object", "any"},
    {"java.lang.Exception", "exception"},
    {"java.lang.Class", "any"},
};

const TypeRow* Find(const auto& table, std::string_view java) {
    for (const TypeRow& row : table) {
        if (row.java == java) return &row;
    }
    return nullptr;
}

bool IsJdkClass(std::string_view javaName) {
    return javaName.starts_with("java.") || javaName.starts_with("javax.");
}

} // namespace

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::optional<MappedType> MapJavaType(const std::string& javaType, ClassResolver& resolver) {
    if (const TypeRow* row = Find(kSimpleTypes, javaType)) {
        return MappedType{std::string(row->script), true};
    }
    if (const TypeRow* row = Find(kObjectTypes, javaType)) {
        return MappedType{std::string(row->script), false};
    }
    JavaClassProxy* cls = resolver.FindOrGenerate(javaType);
    if (cls == nullptr) return std::nullopt;
    return MappedType{cls->proxyName, false};
}

std::string ProxyNameRegistry::MakeProxyName(const std::string& javaName,
                                             const std::string& prefix) {
    std::size_t lastDot = javaName.rfind('.');
    std::string simple = lastDot == std::string::npos ? javaName : javaName.substr(lastDot + 1);
    std::string key = ToLowerAscii(simple);
    std::string base = IsReservedClassName(key) ? "java_" + simple : simple;
    if (!IsJdkClass(javaName)) base = prefix + base;

    for (ProxyNameEntry& entry : entries_) {
        if (entry.key == key) {
            std::string name = base + "_" + std::to_string(entry.counter);
            // The counter is a 16-bit field; it wraps as such a counter would.
            entry.counter = static_cast<std::int16_t>(entry.counter + 1);
            return name;
        }
    }
    entries_.push_back({key, 1});
    return base;
}

std::string LegaliseMemberName(const std::string& name) {
    return IsReservedMemberName(ToLowerAscii(name)) ? name + "_j" : name;
}

} // namespace kf::ejb
