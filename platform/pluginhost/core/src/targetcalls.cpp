// The target, library and entry calls of the workspace's objects, recorded one a line.
#include <fstream>

#include "kf/pluginhost/services.h"
#include "kf/rt/utf16.h"

namespace kf::pluginhost {
namespace {

std::string Error(const std::exception& e) {
    return " -> error " + QuoteText(kf::rt::Utf8ToUtf16(e.what()).value_or(u"?"));
}

std::string Path(const Target& t) {
    return QuoteText(PathText(t.FileName()));
}

// An entry name is one plain file name: no folders, no drive, not "." or "..".
bool PlainFileName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..")
        return false;
    return name.find_first_of(u"/\\:") == std::u16string_view::npos;
}

} // namespace

bool HostServices::ChangeTarget(Target& target, const std::string& line,
                                const std::function<void()>& change) {
    try {
        change();
        target.Save();
        Stamp(target);
    } catch (const std::exception& e) {
        transcript_.Add("host", line + Error(e));
        return false;
    }
    transcript_.Add("host", line);
    return true;
}

std::u16string HostServices::GetFileName(const Target& target) {
    transcript_.Add("host", "GetFileName " + Path(target));
    return PathText(target.FileName());
}

std::vector<std::filesystem::path> HostServices::GetLibraries(const Target& target) {
    auto list = target.Libraries();
    transcript_.Add("host", "GetLibraries " + Path(target) + " -> " + std::to_string(list.size()));
    return list;
}

bool HostServices::AddLibrary(Target& target, std::u16string_view library, bool create) {
    std::string line =
        "AddLibrary " + Path(target) + " " + QuoteText(library) + (create ? " create" : "");
    return ChangeTarget(target, line, [&] {
        auto path = TextPath(library);
        if (create && path.has_parent_path())
            std::filesystem::create_directories(path.parent_path());
        target.AddLibrary(path, create);
    });
}

std::optional<std::filesystem::path> HostServices::FindLibrary(const Target& target,
                                                               std::u16string_view library) {
    auto found = target.FindLibrary(TextPath(library));
    transcript_.Add("host", "FindLibrary " + Path(target) + " " + QuoteText(library) +
                                (found ? " -> found" : " -> none"));
    return found;
}

std::u16string HostServices::GetProperty(const Target& target, std::u16string_view name) {
    auto value = target.GetProperty(name);
    transcript_.Add("host", "GetProperty " + Path(target) + " " + QuoteText(name) + " -> " +
                                QuoteText(value));
    return value;
}

bool HostServices::SetProperty(Target& target, std::u16string_view name,
                               std::u16string_view value) {
    std::string line =
        "SetProperty " + Path(target) + " " + QuoteText(name) + " " + QuoteText(value);
    return ChangeTarget(target, line, [&] { target.SetProperty(name, std::u16string(value)); });
}

std::u16string HostServices::GetAttribute(const Target& target, std::u16string_view key,
                                          std::u16string_view targetPath) {
    auto value = target.GetAttribute(key);
    transcript_.Add("host", "GetAttribute " + QuoteText(key) + " " + QuoteText(targetPath) +
                                " -> " + QuoteText(value));
    return value;
}

bool HostServices::SetAttribute(Target& target, std::u16string_view key,
                                std::u16string_view targetPath, std::u16string_view value) {
    std::string line =
        "SetAttribute " + QuoteText(key) + " " + QuoteText(targetPath) + " " + QuoteText(value);
    return ChangeTarget(target, line, [&] { target.SetAttribute(key, std::u16string(value)); });
}

bool HostServices::SetLibrarySearchPath(Target& target, std::u16string_view paths) {
    std::string line = "SetLibrarySearchPath " + Path(target) + " " + QuoteText(paths);
    return ChangeTarget(target, line, [&] { target.SetLibrarySearchPath(std::u16string(paths)); });
}

std::optional<std::vector<Entry>> HostServices::GetEntries(const std::filesystem::path& library) {
    std::string line = "GetEntries " + QuoteText(PathText(library));
    try {
        std::error_code ec;
        auto entries = std::filesystem::exists(library, ec) ? Library::Load(library).Entries()
                                                            : std::vector<Entry>();
        transcript_.Add("host", line + " -> " + std::to_string(entries.size()));
        return entries;
    } catch (const std::exception& e) {
        transcript_.Add("host", line + Error(e));
        return std::nullopt;
    }
}

std::u16string HostServices::ExportLibrary(std::u16string_view target, std::u16string_view library,
                                           std::u16string_view folder) {
    std::string line =
        "ExportLibrary " + QuoteText(target) + " " + QuoteText(library) + " " + QuoteText(folder);
    try {
        Library lib = Library::Load(TextPath(library));
        auto dir = TextPath(folder);
        for (const auto& e : lib.Entries())
            if (!PlainFileName(e.name))
                throw std::runtime_error("entry name '" + Utf8(e.name) + "' is not a file name");
        std::filesystem::create_directories(dir);
        for (const auto& e : lib.Entries()) {
            auto file = dir / TextPath(e.name);
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << Utf8(e.source);
            if (!out.flush())
                throw std::runtime_error("cannot write " + Utf8(PathText(file)));
        }
        transcript_.Add("host", line + " -> " + std::to_string(lib.Entries().size()));
        return {};
    } catch (const std::exception& e) {
        transcript_.Add("host", line + Error(e));
        return kf::rt::Utf8ToUtf16(e.what()).value_or(u"error");
    }
}

} // namespace kf::pluginhost
