// Targets, libraries and their entries as files: what both stand-ins (the IDE framework
// and its host program) read and write. Formats: see the README.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kf::pluginhost {

// A malformed file: the message names the file and the line.
class StoreError : public std::runtime_error {
public:
    StoreError(const std::string& file, int line, const std::string& message);
};

struct Entry {
    std::u16string name;   // e.g. n_cst_app.sra
    std::u16string type;   // its first letter gives the kind (a application, w window, ...)
    std::u16string source; // export text
};

class Library {
public:
    // Reads a library file; throws StoreError.
    static Library Load(const std::filesystem::path& file);
    static Library Parse(std::string_view text, const std::string& file);
    explicit Library(std::filesystem::path file) : file_(std::move(file)) {}

    const std::filesystem::path& Path() const { return file_; }
    const std::vector<Entry>& Entries() const { return entries_; }
    void Put(Entry entry); // replaces an entry of the same name (ignoring case)
    const Entry* Find(std::u16string_view name) const;
    std::string Text() const;
    void Save() const; // throws std::runtime_error

private:
    std::filesystem::path file_;
    std::vector<Entry> entries_;
};

class Target {
public:
    static Target Load(const std::filesystem::path& file);
    static Target Parse(std::string_view text, const std::string& file, std::filesystem::path path);
    // The five lines a new target starts with.
    static Target Create(std::filesystem::path file, std::u16string appName,
                         std::u16string appLibraryEntry);

    const std::filesystem::path& FileName() const { return file_; }

    // Properties: the quoted value of a known line ("appname", "applib", "liblist",
    // "type"); empty when absent. Setting an absent one appends its line.
    std::u16string GetProperty(std::u16string_view name) const;
    void SetProperty(std::u16string_view name, std::u16string value);

    // Plug-in attributes (lines of ours).
    std::u16string GetAttribute(std::u16string_view key) const;
    void SetAttribute(std::u16string_view key, std::u16string value);

    // The library list as full paths, in order.
    std::vector<std::filesystem::path> Libraries() const;
    // The form a library list records: relative to the target's folder when the library
    // lies below it, else the full path.
    std::u16string LibraryListEntry(const std::filesystem::path& library) const;
    // Adds to the list (once); with `create`, a missing library file is created empty.
    void AddLibrary(const std::filesystem::path& library, bool create);
    std::optional<std::filesystem::path> FindLibrary(const std::filesystem::path& library) const;

    void SetLibrarySearchPath(std::u16string paths);
    std::u16string LibrarySearchPath() const { return GetLine(u"searchpath"); }

    std::string Text() const;
    void Save() const;

private:
    struct Line {
        std::u16string key;       // appname, ..., attribute, searchpath
        std::u16string attribute; // for attribute lines
        std::u16string value;
    };
    std::u16string GetLine(std::u16string_view key) const;
    void SetLine(std::u16string_view key, std::u16string value);

    std::filesystem::path file_;
    std::string header_ = "Save Format v3.0(19990112)";
    std::vector<Line> lines_;
};

// Hands out one item per Next, as the host's enumerators do.
template <class T> class Enumerator {
public:
    explicit Enumerator(std::vector<T> items) : items_(std::move(items)) {}
    std::optional<T> Next() {
        if (pos_ >= items_.size())
            return std::nullopt;
        return items_[pos_++];
    }
    void Reset() { pos_ = 0; }

private:
    std::vector<T> items_;
    std::size_t pos_ = 0;
};

// Path text with the platform's separators, and back.
std::u16string PathText(const std::filesystem::path& p);
std::filesystem::path TextPath(std::u16string_view text);

} // namespace kf::pluginhost
