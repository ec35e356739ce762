#include "kf/kfhost/runner.h"

#include <cstdio>
#include <fstream>

#include "kf/rt/utf16.h"

namespace kf::kfhost {

using pluginhost::QuoteText;
using pluginhost::Utf8;

std::string Hr(std::int32_t hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

namespace {

class NotImplemented final : public HostedPlugin {
public:
    std::int32_t SetSite() override { return kNotImpl; }
    std::int32_t Initialize() override { return kNotImpl; }
    std::int32_t Terminate() override { return kNotImpl; }
    std::int32_t GetMainMenu() override { return kNotImpl; }
    std::int32_t GetContextMenu(const std::u16string&) override { return kNotImpl; }
    std::int32_t InvokeCommand(std::int32_t, const std::u16string&) override { return kNotImpl; }
    std::int32_t QueryCommandState(const std::u16string&, std::int32_t, std::uint8_t&) override {
        return kNotImpl;
    }
    std::int32_t Notify(std::int32_t, const std::u16string&) override { return kNotImpl; }
    std::int32_t Call(const std::u16string&, const std::vector<std::u16string>&) override {
        return kNotImpl;
    }
};

std::int32_t ToInt(const std::u16string& w) {
    return static_cast<std::int32_t>(std::stol(Utf8(w)));
}

} // namespace

std::string StepText(const Step& step) {
    std::string text = Utf8(step.args[0]);
    for (std::size_t i = 1; i < step.args.size(); ++i)
        text += " " + (step.args[0] == u"wait" && i == 1 ? QuoteText(step.args[i])
                       : i == 1                          ? Utf8(step.args[i])
                                                         : QuoteText(step.args[i]));
    return text;
}

std::unique_ptr<HostedPlugin> NotImplementedPlugin() {
    return std::make_unique<NotImplemented>();
}

std::u16string MenuId(std::u16string_view name) {
    static const std::pair<std::u16string_view, char16_t> ids[] = {{u"main", u'1'},
                                                                   {u"repository", u'2'},
                                                                   {u"target", u'3'},
                                                                   {u"library", u'4'},
                                                                   {u"object", u'5'}};
    for (auto [n, digit] : ids)
        if (n == name)
            return std::u16string(u"{4D7E010") + digit + u"-AE48-48AC-AEDF-B84887CE5CE8}";
    return {};
}

Runner::Runner(pluginhost::HostServices& host, pluginhost::Transcript& transcript,
               HostedPlugin& plugin, std::filesystem::path toolFixture,
               std::function<std::vector<std::string>()> toolJournal)
    : host_(host), transcript_(transcript), plugin_(plugin), toolFixture_(std::move(toolFixture)),
      toolJournal_(std::move(toolJournal)) {}

void Runner::FlushJournal() {
    if (!toolJournal_)
        return;
    auto lines = toolJournal_();
    for (; journalSeen_ < lines.size(); ++journalSeen_)
        transcript_.Add("tool", lines[journalSeen_]);
}

template <class F> std::int32_t Runner::Guarded(F call) {
    if (!dialogs_) {
        auto hr = call();
        // No windows in this build: say which steps this call would have met, once each.
        for (const auto& d : dialogQueue_)
            transcript_.Add("dialog", "no dialogs in this build: step at " + file_ + ":" +
                                          std::to_string(d.line) + " (" + StepText(d) + ")");
        dialogQueue_.clear();
        return hr;
    }
    dialogs_->Begin(dialogQueue_, file_);
    auto hr = call();
    failures_ += dialogs_->End();
    return hr;
}

void Runner::HostFixture(const std::vector<std::u16string>& words) {
    if (side_)
        side_->Fixture(words);
    else
        pluginhost::ApplyHostFixtureLine(host_.fixture, words);
}

void Runner::DumpMenus(const std::u16string& menuId) {
    if (side_)
        side_->DumpMenus(menuId);
    else
        host_.DumpMenus(menuId);
}

void Runner::FreeMenus() {
    if (side_)
        side_->FreeMenus();
    else
        host_.FreeMenus();
}

void Runner::Start() {
    // Guarded too: a dialog nobody expects is closed instead of hanging the run.
    auto hr = Guarded([&] { return plugin_.SetSite(); });
    transcript_.Add("host", "SetSite -> " + Hr(hr));
    hr = Guarded([&] { return plugin_.Initialize(); });
    transcript_.Add("host", "Initialize -> " + Hr(hr));
    hr = Guarded([&] { return plugin_.GetMainMenu(); });
    transcript_.Add("host", "GetMainMenu -> " + Hr(hr));
    for (auto name : {u"Target", u"Library", u"KFObject"}) {
        hr = Guarded([&] { return plugin_.GetContextMenu(name); });
        transcript_.Add("host", "GetContextMenu " + QuoteText(name) + " -> " + Hr(hr));
    }
    FlushJournal();
}

void Runner::Stop() {
    auto hr = Guarded([&] { return plugin_.Terminate(); });
    transcript_.Add("host", "Terminate -> " + Hr(hr));
    FreeMenus();
    transcript_.Add("host", "Release");
    FlushJournal();
}

void Runner::Do(const Step& s, const std::string& file) {
    const auto& a = s.args;
    auto where = file + ":" + std::to_string(s.line);
    if (s.verb == "command") {
        std::u16string location = a.size() > 1 ? a[1] : u"";
        auto hr = Guarded([&] { return plugin_.InvokeCommand(ToInt(a[0]), location); });
        transcript_.Add("host", "InvokeCommand " + Utf8(a[0]) + " " + QuoteText(location) + " -> " +
                                    Hr(hr));
    } else if (s.verb == "state") {
        auto id = MenuId(a[0]);
        std::uint8_t state = 0;
        auto hr = Guarded(
            [&] { return plugin_.QueryCommandState(id.empty() ? a[0] : id, ToInt(a[1]), state); });
        transcript_.Add("host", "QueryCommandState " + Utf8(a[0]) + " " + Utf8(a[1]) + " -> " +
                                    Hr(hr) + " state=" + std::to_string(state));
    } else if (s.verb == "menu") {
        if (a[0] == u"main") {
            DumpMenus(MenuId(u"main"));
            DumpMenus(MenuId(u"repository"));
        } else {
            auto hr = Guarded([&] { return plugin_.GetContextMenu(a[0]); });
            transcript_.Add("host", "GetContextMenu " + QuoteText(a[0]) + " -> " + Hr(hr));
            static const std::pair<std::u16string_view, std::u16string_view> kinds[] = {
                {u"Target", u"target"}, {u"Library", u"library"}, {u"KFObject", u"object"}};
            for (auto [name, menu] : kinds)
                if (name == a[0])
                    DumpMenus(MenuId(menu));
        }
    } else if (s.verb == "notify") {
        auto hr = Guarded([&] { return plugin_.Notify(ToInt(a[0]), a[1]); });
        transcript_.Add("host", "Notify " + Utf8(a[0]) + " " + QuoteText(a[1]) + " -> " + Hr(hr));
    } else if (s.verb == "call") {
        std::vector<std::u16string> args(a.begin() + 1, a.end());
        std::string text = Utf8(a[0]);
        for (const auto& arg : args)
            text += " " + QuoteText(arg);
        auto hr = Guarded([&] { return plugin_.Call(a[0], args); });
        transcript_.Add("host", text + " -> " + Hr(hr));
    } else if (s.verb == "fixture" || s.verb == "fixture-reset") {
        std::ofstream out(toolFixture_, std::ios::binary | (s.verb == "fixture" ? std::ios::app
                                                                                : std::ios::trunc));
        if (s.verb == "fixture")
            out << Utf8(a[0]) << "\n";
        transcript_.Add("fixture", s.verb == "fixture" ? Utf8(a[0]) : "reset");
    } else if (s.verb == "host") {
        try {
            HostFixture(a);
        } catch (const std::invalid_argument& e) {
            throw ScenarioError(file, s.line, e.what());
        }
        std::string text;
        for (const auto& w : a)
            text += (text.empty() ? "" : " ") + Utf8(w);
        transcript_.Add("fixture", "host " + text);
    } else if (s.verb == "setting") {
        if (a[0] == u"dword")
            host_.settings->WriteDword(a[1], static_cast<std::uint32_t>(ToInt(a[2])));
        else
            host_.settings->WriteString(a[1], a[2]);
        transcript_.Add("fixture", "setting " + Utf8(a[1]) + " = " + Utf8(a[2]));
    } else if (s.verb == "dialog") {
        // Queued for the next modal dialog; the dialog driver takes them from here.
        dialogQueue_.push_back(s);
    } else if (s.verb == "expect" || s.verb == "expect-not") {
        FlushJournal();
        auto wanted = Utf8(a[0]);
        bool found = false;
        auto lines = lines_ ? lines_() : transcript_.Lines();
        for (const auto& l : lines)
            if (l.find(wanted) != std::string::npos && l.rfind("expect", 0) != 0)
                found = true;
        if (found != (s.verb == "expect")) {
            ++failures_;
            transcript_.Add("expect", "FAILED at " + where + ": " + s.verb + " " + QuoteText(a[0]));
        }
    } else if (s.verb == "journal") {
        FlushJournal();
    }
    FlushJournal();
}

int Runner::Run(const std::vector<Step>& steps, const std::string& file) {
    failures_ = 0;
    file_ = file;
    Start();
    for (const auto& s : steps)
        Do(s, file);
    Stop();
    for (const auto& d : dialogQueue_) {
        ++failures_;
        transcript_.Add("dialog", "not shown: step at " + file + ":" + std::to_string(d.line) +
                                      " (" + StepText(d) + ")");
    }
    dialogQueue_.clear();
    return failures_;
}

} // namespace kf::kfhost
