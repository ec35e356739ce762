// What the IDE framework's view, shell and workspace services do, without COM: dockable
// view state, recorded messages and result lists, workspace commands and targets, menus
// kept per menu id. pluginhost.dll and the host program put their interfaces over this;
// every call lands in the transcript.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kf/pluginhost/settings.h"
#include "kf/pluginhost/store.h"

namespace kf::pluginhost {

// One event a line: "<source>: <text>" (host, message, result, dialog, tool, ...).
class Transcript {
public:
    void Add(const std::string& source, const std::string& text);
    const std::vector<std::string>& Lines() const { return lines_; }
    // Lines also go to this file as they come (empty: memory only).
    void WriteTo(std::filesystem::path file);
    // Lines also go to this file, after what it holds (a transcript shared by processes
    // or modules).
    void AppendTo(std::filesystem::path file) { file_ = std::move(file); }

private:
    std::vector<std::string> lines_;
    std::filesystem::path file_;
};

std::string Utf8(std::u16string_view s);
std::string QuoteText(std::u16string_view s);

// The host's side of a scenario or fixture: values the services answer with.
struct HostFixture {
    int openPainters = 0;                                 // command 1084
    std::map<std::int32_t, int> views;                    // view id -> 0 none, 1 hidden, 2 visible
    std::map<std::u16string, std::int32_t> sourceControl; // "library|entry name" -> status
    std::u16string gridSheetError;                        // CheckGridSheetSource's error text
    std::int32_t messageAnswer = 1;                       // ShowMessage's result (IDOK)
    bool workspaceOpen = true;                            // GetWorkspace succeeds
};

// Applies one fixture line (see the README, Host fixture); throws std::invalid_argument.
void ApplyHostFixtureLine(HostFixture& fixture, const std::vector<std::u16string>& words);

class HostServices {
public:
    explicit HostServices(Transcript& transcript);

    HostFixture fixture;
    std::unique_ptr<SettingsStore> settings = std::make_unique<MemorySettings>();

    // View service.
    void ToggleView(std::int32_t viewId);
    // A window exists for the view: its visibility; nullopt when there is none.
    std::optional<bool> ViewWindow(std::int32_t viewId) const;
    void OpenLocation(std::u16string_view location);
    void NotifyFileClosed(std::u16string_view file);
    void ShowHelp(std::int32_t topic);
    std::u16string CheckGridSheetSource(std::u16string_view source);
    std::int32_t GetSourceControlStatus(std::u16string_view library, std::u16string_view entry);
    std::u16string GetLibraryListEntry(std::u16string_view library, std::u16string_view target);
    // Creates (or extends) the library with the source entry; the error text, empty on
    // success.
    std::u16string CreateLibraryWithObject(std::u16string_view target, std::u16string_view library,
                                           std::u16string_view sourceEntry,
                                           std::u16string_view objectEntry,
                                           std::u16string_view source);

    // File type and extension services: the file types registered for a view name and the
    // extensions of a file type, each a ";"-separated list ("" when none); extensions are
    // written with their dot (".oom"). The editors' views know ".oom" and ".pdm" files.
    std::u16string GetViewFileTypes(std::u16string_view viewName);
    std::u16string GetTypeExtensions(std::u16string_view typeName);
    void GetViewFilter(std::u16string_view viewName, std::u16string_view argument);

    // Shell service.
    std::int32_t ShowMessage(std::u16string_view text, std::int32_t style);
    void ResultBegin(std::u16string_view name, std::u16string_view title, std::u16string_view file);
    void ResultSummary(std::u16string_view title, std::u16string_view text);
    void ResultItem(std::u16string_view text, std::u16string_view link);
    void ResultShow();
    void ResultEnd();

    // Workspace service: the open workspace (false: none is open); targets open once each
    // (paths compare ignoring case).
    bool GetWorkspace();
    Target* OpenTarget(std::u16string_view path, bool attach); // null when unreadable
    std::int32_t ExecuteCommand(std::int32_t command, std::int32_t number,
                                std::u16string_view location);
    void SaveTarget(Target& target);
    void Rebuild(Target& target, std::int32_t flag);

    // Target calls as the plug-in makes them (targetcalls.cpp): each is recorded; a change
    // is written to the target file at once, and a failed write answers false.
    std::u16string GetFileName(const Target& target);
    std::vector<std::filesystem::path> GetLibraries(const Target& target);
    bool AddLibrary(Target& target, std::u16string_view library, bool create);
    std::optional<std::filesystem::path> FindLibrary(const Target& target,
                                                     std::u16string_view library);
    std::u16string GetProperty(const Target& target, std::u16string_view name);
    bool SetProperty(Target& target, std::u16string_view name, std::u16string_view value);
    // The target path argument is the plug-in's; the attribute is the given target's.
    std::u16string GetAttribute(const Target& target, std::u16string_view key,
                                std::u16string_view targetPath);
    bool SetAttribute(Target& target, std::u16string_view key, std::u16string_view targetPath,
                      std::u16string_view value);
    bool SetLibrarySearchPath(Target& target, std::u16string_view paths);
    // A library's entries: a missing file has none; a malformed one gives nullopt (recorded
    // with the file and line).
    std::optional<std::vector<Entry>> GetEntries(const std::filesystem::path& library);
    // Writes each entry's source into the folder as a file named after the entry; the
    // error text, empty on success. Entry names that would leave the folder are refused.
    std::u16string ExportLibrary(std::u16string_view target, std::u16string_view library,
                                 std::u16string_view folder);

    // Menu service: menus registered per menu id, in order; the host owns and frees them.
    struct MenuItem {
        std::int32_t command = 0; // 0: separator or popup
        std::u16string caption;
        std::vector<MenuItem> items; // popup
    };
    void RegisterMenu(const std::u16string& menuId, MenuItem menu);
    const std::vector<MenuItem>* Menus(const std::u16string& menuId) const;
    // Prints the menus of one id into the transcript.
    void DumpMenus(const std::u16string& menuId);
    void FreeMenus();

private:
    Transcript& transcript_;
    struct OpenedTarget {
        std::unique_ptr<Target> target;
        std::filesystem::file_time_type stamp; // of the file as last read or written
    };
    // After the host wrote a target's file: it is current.
    void Stamp(const Target& target);
    // Applies a change to the target and writes its file at once; records `line`, with the
    // error when the change or the write fails.
    bool ChangeTarget(Target& target, const std::string& line, const std::function<void()>& change);

    std::map<std::u16string, OpenedTarget> targets_;
    std::map<std::u16string, std::vector<MenuItem>> menus_;
    std::u16string resultList_;
};

} // namespace kf::pluginhost
