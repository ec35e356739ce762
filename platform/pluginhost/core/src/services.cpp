#include "kf/pluginhost/services.h"

#include <fstream>
#include <stdexcept>

#include "kf/model/names.h"
#include "kf/rt/utf16.h"

namespace kf::pluginhost {

using kf::model::FoldCase;

std::string Utf8(std::u16string_view s) {
    return kf::rt::Utf16ToUtf8(s);
}

std::string QuoteText(std::u16string_view s) {
    std::string out = "\"";
    for (char c : Utf8(s)) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out + "\"";
}

void Transcript::Add(const std::string& source, const std::string& text) {
    lines_.push_back(source + ": " + text);
    if (!file_.empty()) {
        std::ofstream out(file_, std::ios::app | std::ios::binary);
        out << lines_.back() << '\n';
    }
}

void Transcript::WriteTo(std::filesystem::path file) {
    file_ = std::move(file);
    std::ofstream out(file_, std::ios::trunc | std::ios::binary);
    for (const auto& l : lines_)
        out << l << '\n';
}

namespace {

std::int32_t Number(const std::u16string& w) {
    std::string s = Utf8(w);
    std::size_t used = 0;
    long v = 0;
    try {
        v = std::stol(s, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != s.size() || s.empty())
        throw std::invalid_argument("expected a number, got '" + s + "'");
    return static_cast<std::int32_t>(v);
}

} // namespace

void ApplyHostFixtureLine(HostFixture& f, const std::vector<std::u16string>& w) {
    if (w.empty())
        return;
    auto need = [&](std::size_t n, const char* form) {
        if (w.size() != n + 1)
            throw std::invalid_argument(std::string("expected: ") + form);
    };
    if (w[0] == u"painters") {
        need(1, "painters <count>");
        f.openPainters = Number(w[1]);
    } else if (w[0] == u"view") {
        need(2, "view <id> none|hidden|visible");
        int state = w[2] == u"none" ? 0 : w[2] == u"hidden" ? 1 : w[2] == u"visible" ? 2 : -1;
        if (state < 0)
            throw std::invalid_argument("expected: view <id> none|hidden|visible");
        f.views[Number(w[1])] = state;
    } else if (w[0] == u"sourcecontrol") {
        need(3, "sourcecontrol <library> <entry> <status>");
        f.sourceControl[FoldCase(w[1] + u"|" + w[2])] = Number(w[3]);
    } else if (w[0] == u"gridsheet-error") {
        need(1, "gridsheet-error <text>");
        f.gridSheetError = w[1];
    } else if (w[0] == u"answer") {
        need(1, "answer <message box result>");
        f.messageAnswer = Number(w[1]);
    } else if (w[0] == u"workspace") {
        need(1, "workspace open|none");
        if (w[1] != u"open" && w[1] != u"none")
            throw std::invalid_argument("expected: workspace open|none");
        f.workspaceOpen = w[1] == u"open";
    } else {
        throw std::invalid_argument("unknown host fixture line '" + Utf8(w[0]) + "'");
    }
}

HostServices::HostServices(Transcript& transcript) : transcript_(transcript) {}

void HostServices::ToggleView(std::int32_t viewId) {
    int& state = fixture.views[viewId];
    state = state == 2 ? 1 : 2; // a view without a window gets one, shown
    transcript_.Add("host", "ToggleView " + std::to_string(viewId) +
                                (state == 2 ? " -> visible" : " -> hidden"));
}

std::optional<bool> HostServices::ViewWindow(std::int32_t viewId) const {
    auto it = fixture.views.find(viewId);
    if (it == fixture.views.end() || it->second == 0)
        return std::nullopt;
    return it->second == 2;
}

void HostServices::OpenLocation(std::u16string_view location) {
    transcript_.Add("host", "OpenLocation " + QuoteText(location));
}

void HostServices::NotifyFileClosed(std::u16string_view file) {
    transcript_.Add("host", "NotifyFileClosed " + QuoteText(file));
}

void HostServices::ShowHelp(std::int32_t topic) {
    transcript_.Add("host", "ShowHelp " + std::to_string(topic));
}

std::u16string HostServices::CheckGridSheetSource(std::u16string_view source) {
    transcript_.Add("host", "CheckGridSheetSource " + QuoteText(source) + " -> " +
                                QuoteText(fixture.gridSheetError));
    return fixture.gridSheetError;
}

std::int32_t HostServices::GetSourceControlStatus(std::u16string_view library,
                                                  std::u16string_view entry) {
    auto it = fixture.sourceControl.find(
        FoldCase(std::u16string(library) + u"|" + std::u16string(entry)));
    return it == fixture.sourceControl.end() ? 0 : it->second;
}

std::u16string HostServices::GetLibraryListEntry(std::u16string_view library,
                                                 std::u16string_view target) {
    return Target::Create(TextPath(target), u"", u"").LibraryListEntry(TextPath(library));
}

std::u16string HostServices::CreateLibraryWithObject(std::u16string_view target,
                                                     std::u16string_view library,
                                                     std::u16string_view sourceEntry,
                                                     std::u16string_view objectEntry,
                                                     std::u16string_view source) {
    transcript_.Add("host", "CreateLibraryWithObject " + QuoteText(target) + " " +
                                QuoteText(library) + " " + QuoteText(sourceEntry) + " " +
                                QuoteText(objectEntry));
    try {
        auto path = TextPath(library);
        Library lib = std::filesystem::exists(path) ? Library::Load(path) : Library(path);
        std::u16string type = u"application";
        lib.Put({std::u16string(sourceEntry), type, std::u16string(source)});
        lib.Save();
        return {};
    } catch (const std::exception& e) {
        return kf::rt::Utf8ToUtf16(e.what()).value_or(u"error");
    }
}

namespace {

struct FileType {
    std::u16string_view view, type, extensions;
};
constexpr FileType kFileTypes[] = {
    {u"Draftora.OOM", u"Draftora Object-Oriented Model", u".oom"},
    {u"Draftora.PDM", u"Draftora Physical Data Model", u".pdm"},
};

} // namespace

std::u16string HostServices::GetViewFileTypes(std::u16string_view viewName) {
    std::u16string out;
    for (const auto& f : kFileTypes)
        if (FoldCase(f.view) == FoldCase(viewName))
            out += (out.empty() ? u"" : u";") + std::u16string(f.type);
    transcript_.Add("host", "GetViewFileTypes " + QuoteText(viewName) + " -> " + QuoteText(out));
    return out;
}

std::u16string HostServices::GetTypeExtensions(std::u16string_view typeName) {
    std::u16string out;
    for (const auto& f : kFileTypes)
        if (FoldCase(f.type) == FoldCase(typeName))
            out = f.extensions;
    transcript_.Add("host", "GetTypeExtensions " + QuoteText(typeName) + " -> " + QuoteText(out));
    return out;
}

void HostServices::GetViewFilter(std::u16string_view viewName, std::u16string_view argument) {
    transcript_.Add("host", "GetViewFilter " + QuoteText(viewName) + " " + QuoteText(argument));
}

std::int32_t HostServices::ShowMessage(std::u16string_view text, std::int32_t style) {
    transcript_.Add("message", QuoteText(text) + " style=" + std::to_string(style) + " -> " +
                                   std::to_string(fixture.messageAnswer));
    return fixture.messageAnswer;
}

void HostServices::ResultBegin(std::u16string_view name, std::u16string_view title,
                               std::u16string_view file) {
    resultList_ = name;
    transcript_.Add("result",
                    "Begin " + QuoteText(name) + " " + QuoteText(title) + " " + QuoteText(file));
}
void HostServices::ResultSummary(std::u16string_view title, std::u16string_view text) {
    transcript_.Add("result", "SetSummary " + QuoteText(title) + " " + QuoteText(text));
}
void HostServices::ResultItem(std::u16string_view text, std::u16string_view link) {
    transcript_.Add("result", "AddItem " + QuoteText(text) + " " + QuoteText(link));
}
void HostServices::ResultShow() {
    transcript_.Add("result", "Show");
}
void HostServices::ResultEnd() {
    transcript_.Add("result", "End");
    resultList_.clear();
}

bool HostServices::GetWorkspace() {
    transcript_.Add("host", fixture.workspaceOpen ? "GetWorkspace" : "GetWorkspace -> none");
    return fixture.workspaceOpen;
}

Target* HostServices::OpenTarget(std::u16string_view path, bool attach) {
    auto key = FoldCase(path);
    auto it = targets_.find(key);
    const char* verb = attach ? "AttachTarget " : "OpenTarget ";
    // A target file written behind the host's back (the plug-in creates and replaces
    // target files itself) is read again into the same target object.
    std::error_code ec;
    auto stamp = std::filesystem::last_write_time(TextPath(path), ec);
    if (it == targets_.end() || ec || stamp != it->second.stamp) {
        try {
            Target t = Target::Load(TextPath(path));
            if (it == targets_.end())
                it = targets_
                         .emplace(key, OpenedTarget{std::make_unique<Target>(std::move(t)), stamp})
                         .first;
            else
                *it->second.target = std::move(t);
            it->second.stamp = stamp;
        } catch (const std::exception& e) {
            transcript_.Add("host", verb + QuoteText(path) + " -> error " +
                                        QuoteText(kf::rt::Utf8ToUtf16(e.what()).value_or(u"")));
            return nullptr;
        }
    }
    transcript_.Add("host", verb + QuoteText(path));
    return it->second.target.get();
}

void HostServices::Stamp(const Target& target) {
    std::error_code ec;
    for (auto& [key, opened] : targets_)
        if (opened.target.get() == &target)
            opened.stamp = std::filesystem::last_write_time(target.FileName(), ec);
}

std::int32_t HostServices::ExecuteCommand(std::int32_t command, std::int32_t number,
                                          std::u16string_view location) {
    std::int32_t result = command == 1084 ? fixture.openPainters : 0;
    transcript_.Add("host", "ExecuteCommand " + std::to_string(command) + " " +
                                std::to_string(number) + " " + QuoteText(location) + " -> " +
                                std::to_string(result));
    return result;
}

void HostServices::SaveTarget(Target& target) {
    target.Save();
    Stamp(target);
    transcript_.Add("host", "SaveTarget " + QuoteText(PathText(target.FileName())));
}

void HostServices::Rebuild(Target& target, std::int32_t flag) {
    transcript_.Add("host", "Rebuild " + QuoteText(PathText(target.FileName())) + " " +
                                std::to_string(flag));
}

void HostServices::RegisterMenu(const std::u16string& menuId, MenuItem menu) {
    transcript_.Add("host", "RegisterMenu " + Utf8(menuId) + " " + QuoteText(menu.caption));
    menus_[FoldCase(menuId)].push_back(std::move(menu));
}

const std::vector<HostServices::MenuItem>* HostServices::Menus(const std::u16string& menuId) const {
    auto it = menus_.find(FoldCase(menuId));
    return it == menus_.end() ? nullptr : &it->second;
}

void HostServices::DumpMenus(const std::u16string& menuId) {
    std::function<void(const MenuItem&, int)> dump = [&](const MenuItem& m, int depth) {
        std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
        if (!m.items.empty() || depth == 0)
            transcript_.Add("menu", pad + "popup " + QuoteText(m.caption));
        else if (m.command == 0 && m.caption.empty())
            transcript_.Add("menu", pad + "separator");
        else
            transcript_.Add("menu", pad + std::to_string(m.command) + " " + QuoteText(m.caption));
        for (const auto& i : m.items)
            dump(i, depth + 1);
    };
    const auto* list = Menus(menuId);
    if (!list) {
        transcript_.Add("menu", Utf8(menuId) + " none");
        return;
    }
    for (const auto& m : *list)
        dump(m, 0);
}

void HostServices::FreeMenus() {
    std::size_t n = 0;
    for (const auto& [id, list] : menus_)
        n += list.size();
    menus_.clear();
    transcript_.Add("host", "FreeMenus " + std::to_string(n));
}

} // namespace kf::pluginhost
