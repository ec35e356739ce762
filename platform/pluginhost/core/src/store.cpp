#include "kf/pluginhost/store.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "kf/model/names.h"
#include "kf/rt/utf16.h"

namespace kf::pluginhost {
namespace {

using kf::model::EqualsNoCase;
using kf::model::FoldCase;

std::u16string U16(std::string_view s) {
    return kf::rt::Utf8ToUtf16(s).value_or(u"");
}
std::string U8(std::u16string_view s) {
    return kf::rt::Utf16ToUtf8(s);
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error(file.string() + ": cannot be read");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        throw std::runtime_error(file.string() + ": cannot be written");
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        auto line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.push_back(line);
        pos = end + 1;
    }
    return out;
}

// Quoted texts: backslash escapes \\ \" \r \n \t.
std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    for (char c : U8(text)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

// Reads a quoted text at `i`; nullopt with `error` set when malformed.
std::optional<std::u16string> Unquote(std::string_view s, std::size_t& i, std::string& error) {
    if (i >= s.size() || s[i] != '"') {
        error = "expected a quoted text";
        return std::nullopt;
    }
    std::string out;
    for (++i; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            ++i;
            auto u = kf::rt::Utf8ToUtf16(out);
            if (!u)
                error = "text is not UTF-8";
            return u;
        }
        if (c == '\\') {
            if (++i >= s.size())
                break;
            switch (s[i]) {
            case '\\':
            case '"':
                out += s[i];
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            default:
                error = std::string("unknown escape \\") + s[i];
                return std::nullopt;
            }
            continue;
        }
        out += c;
    }
    error = "unterminated quoted text";
    return std::nullopt;
}

void SkipBlanks(std::string_view s, std::size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
}

bool IsBelow(const std::filesystem::path& folder, const std::filesystem::path& file) {
    auto f = FoldCase(folder.lexically_normal().generic_u16string());
    auto p = FoldCase(file.lexically_normal().generic_u16string());
    if (!f.empty() && f.back() != u'/')
        f += u'/';
    return p.size() > f.size() && p.compare(0, f.size(), f) == 0;
}

} // namespace

StoreError::StoreError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + message) {}

std::u16string PathText(const std::filesystem::path& p) {
    auto copy = p;
    return copy.make_preferred().u16string();
}

std::filesystem::path TextPath(std::u16string_view text) {
    std::filesystem::path p{std::u16string(text)};
    return p.make_preferred();
}

// --- libraries: "kf-library 1", then one `entry "name" "type" "source"` a line
Library Library::Load(const std::filesystem::path& file) {
    return Parse(ReadFile(file), file.string());
}

Library Library::Parse(std::string_view text, const std::string& file) {
    Library lib{std::filesystem::path(file)};
    int number = 0;
    bool header = false;
    for (auto line : Lines(text)) {
        ++number;
        std::size_t i = 0;
        SkipBlanks(line, i);
        if (i == line.size() || line[i] == '#')
            continue;
        if (!header) {
            if (line.substr(i) != "kf-library 1")
                throw StoreError(file, number, "not a library file (expected 'kf-library 1')");
            header = true;
            continue;
        }
        if (line.substr(i, 6) != "entry ")
            throw StoreError(file, number, "expected an entry line");
        i += 6;
        std::u16string parts[3];
        for (auto& part : parts) {
            SkipBlanks(line, i);
            std::string error;
            auto v = Unquote(line, i, error);
            if (!v)
                throw StoreError(file, number, error);
            part = std::move(*v);
        }
        SkipBlanks(line, i);
        if (i != line.size())
            throw StoreError(file, number, "text after the entry's source");
        if (parts[0].empty())
            throw StoreError(file, number, "an entry without a name");
        if (lib.Find(parts[0]))
            throw StoreError(file, number, "entry " + U8(parts[0]) + " appears twice");
        lib.entries_.push_back({std::move(parts[0]), std::move(parts[1]), std::move(parts[2])});
    }
    if (!header)
        throw StoreError(file, number, "empty library file");
    return lib;
}

void Library::Put(Entry entry) {
    for (auto& e : entries_)
        if (EqualsNoCase(e.name, entry.name)) {
            e = std::move(entry);
            return;
        }
    entries_.push_back(std::move(entry));
}

const Entry* Library::Find(std::u16string_view name) const {
    for (const auto& e : entries_)
        if (EqualsNoCase(e.name, name))
            return &e;
    return nullptr;
}

std::string Library::Text() const {
    std::string out = "kf-library 1\r\n";
    for (const auto& e : entries_)
        out += "entry " + Quote(e.name) + " " + Quote(e.type) + " " + Quote(e.source) + "\r\n";
    return out;
}

void Library::Save() const {
    WriteFile(file_, Text());
}

// --- targets: the template's lines `key "value";`, plus `attribute "key" "value";`
Target Target::Load(const std::filesystem::path& file) {
    return Parse(ReadFile(file), file.string(), file);
}

Target Target::Parse(std::string_view text, const std::string& file, std::filesystem::path path) {
    Target t;
    t.file_ = std::move(path);
    int number = 0;
    bool header = false;
    for (auto line : Lines(text)) {
        ++number;
        if (!header) {
            if (line.rfind("Save Format v", 0) != 0)
                throw StoreError(file, number, "not a target file (expected 'Save Format v...')");
            t.header_ = std::string(line);
            header = true;
            continue;
        }
        std::size_t i = 0;
        SkipBlanks(line, i);
        if (i == line.size())
            continue;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        Line l;
        l.key = U16(line.substr(start, i - start));
        std::string error;
        SkipBlanks(line, i);
        if (l.key == u"attribute") {
            auto key = Unquote(line, i, error);
            if (!key)
                throw StoreError(file, number, error);
            if (key->empty())
                throw StoreError(file, number, "an attribute without a key");
            l.attribute = std::move(*key);
            SkipBlanks(line, i);
        }
        auto value = Unquote(line, i, error);
        if (!value)
            throw StoreError(file, number, error);
        l.value = std::move(*value);
        SkipBlanks(line, i);
        if (i >= line.size() || line[i] != ';')
            throw StoreError(file, number, "expected ';' after the value");
        ++i;
        SkipBlanks(line, i);
        if (i != line.size())
            throw StoreError(file, number, "text after ';'");
        t.lines_.push_back(std::move(l));
    }
    if (!header)
        throw StoreError(file, number == 0 ? 1 : number, "empty target file");
    return t;
}

Target Target::Create(std::filesystem::path file, std::u16string appName,
                      std::u16string appLibraryEntry) {
    Target t;
    t.file_ = std::move(file);
    t.lines_ = {{u"appname", {}, std::move(appName)},
                {u"applib", {}, appLibraryEntry},
                {u"liblist", {}, appLibraryEntry},
                {u"type", {}, u"kf"}};
    return t;
}

std::u16string Target::GetLine(std::u16string_view key) const {
    for (const auto& l : lines_)
        if (l.key == key)
            return l.value;
    return {};
}

void Target::SetLine(std::u16string_view key, std::u16string value) {
    for (auto& l : lines_)
        if (l.key == key) {
            l.value = std::move(value);
            return;
        }
    lines_.push_back({std::u16string(key), {}, std::move(value)});
}

std::u16string Target::GetProperty(std::u16string_view name) const {
    return name == u"attribute" ? std::u16string() : GetLine(FoldCase(name));
}

void Target::SetProperty(std::u16string_view name, std::u16string value) {
    if (name != u"attribute")
        SetLine(FoldCase(name), std::move(value));
}

std::u16string Target::GetAttribute(std::u16string_view key) const {
    for (const auto& l : lines_)
        if (l.key == u"attribute" && EqualsNoCase(l.attribute, key))
            return l.value;
    return {};
}

void Target::SetAttribute(std::u16string_view key, std::u16string value) {
    for (auto& l : lines_)
        if (l.key == u"attribute" && EqualsNoCase(l.attribute, key)) {
            l.value = std::move(value);
            return;
        }
    lines_.push_back({u"attribute", std::u16string(key), std::move(value)});
}

std::vector<std::filesystem::path> Target::Libraries() const {
    std::vector<std::filesystem::path> out;
    auto list = GetLine(u"liblist");
    std::size_t pos = 0;
    while (pos <= list.size()) {
        auto semi = list.find(u';', pos);
        auto item = list.substr(pos, semi == std::u16string::npos ? list.npos : semi - pos);
        pos = semi == std::u16string::npos ? list.size() + 1 : semi + 1;
        if (item.empty())
            continue;
        auto p = TextPath(item);
        out.push_back(p.is_absolute() ? p : (file_.parent_path() / p).lexically_normal());
    }
    return out;
}

std::u16string Target::LibraryListEntry(const std::filesystem::path& library) const {
    auto folder = file_.parent_path();
    if (IsBelow(folder, library)) {
        auto text = library.lexically_normal().u16string();
        auto f = folder.lexically_normal().u16string();
        auto rest = text.substr(f.size());
        while (!rest.empty() && (rest.front() == u'/' || rest.front() == u'\\'))
            rest.erase(0, 1);
        return PathText(std::filesystem::path(rest));
    }
    return PathText(library);
}

std::optional<std::filesystem::path>
Target::FindLibrary(const std::filesystem::path& library) const {
    auto wanted = FoldCase(library.lexically_normal().generic_u16string());
    for (const auto& l : Libraries())
        if (FoldCase(l.generic_u16string()) == wanted)
            return l;
    return std::nullopt;
}

void Target::AddLibrary(const std::filesystem::path& library, bool create) {
    if (create && !std::filesystem::exists(library))
        Library(library).Save();
    if (FindLibrary(library))
        return;
    auto list = GetLine(u"liblist");
    if (!list.empty() && list.back() != u';')
        list += u';';
    SetLine(u"liblist", list + LibraryListEntry(library));
}

void Target::SetLibrarySearchPath(std::u16string paths) {
    SetLine(u"searchpath", std::move(paths));
}

std::string Target::Text() const {
    std::string out = header_ + "\r\n";
    for (const auto& l : lines_) {
        out += U8(l.key) + " ";
        if (l.key == u"attribute")
            out += Quote(l.attribute) + " ";
        out += Quote(l.value) + ";\r\n";
    }
    return out;
}

void Target::Save() const {
    WriteFile(file_, Text());
}

} // namespace kf::pluginhost
