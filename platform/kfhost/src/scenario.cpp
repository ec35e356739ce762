#include "kf/kfhost/scenario.h"

#include <map>

#include "kf/rt/utf16.h"

namespace kf::kfhost {

ScenarioError::ScenarioError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + message) {}

std::vector<std::u16string> Words(std::string_view line) {
    std::vector<std::u16string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::string w;
        if (line[i] == '"') {
            bool closed = false;
            for (++i; i < line.size();) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    w += c;
                    continue;
                }
                if (i >= line.size())
                    break;
                char e = line[i++];
                if (e == '"' || e == '\\')
                    w += e;
                else if (e == 'n')
                    w += '\n';
                else if (e == 'r')
                    w += '\r';
                else if (e == 't')
                    w += '\t';
                else
                    throw std::invalid_argument(std::string("unknown escape \\") + e);
            }
            if (!closed)
                throw std::invalid_argument("unterminated quoted text");
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                w += line[i++];
        }
        auto u = kf::rt::Utf8ToUtf16(w);
        if (!u)
            throw std::invalid_argument("text is not UTF-8");
        out.push_back(std::move(*u));
    }
    return out;
}

namespace {

struct Form {
    std::size_t min, max;
    const char* usage;
};

// Fewest and most words after the verb.
const std::map<std::string, Form>& Forms() {
    static const std::map<std::string, Form> forms = {
        {"command", {1, 2, "command <number> [<location>]"}},
        {"state", {2, 2, "state <menu> <number>"}},
        {"menu", {1, 1, "menu main|<context menu name>"}},
        {"notify", {2, 2, "notify <kind> <location>"}},
        {"call", {1, 4, "call <method> [<argument>...]"}},
        {"fixture", {1, 1, "fixture <line of the tool's fixture>"}},
        {"fixture-reset", {0, 0, "fixture-reset"}},
        {"host", {1, 4, "host <host fixture line>"}},
        {"setting", {3, 3, "setting dword|string <name> <value>"}},
        {"dialog", {1, 8, "dialog <action> ..."}},
        {"expect", {1, 1, "expect <text>"}},
        {"expect-not", {1, 1, "expect-not <text>"}},
        {"journal", {0, 0, "journal"}},
    };
    return forms;
}

const std::map<std::string, Form>& DialogForms() {
    static const std::map<std::string, Form> forms = {
        {"wait", {1, 2, "dialog wait <title> [<seconds>]"}},
        {"set", {2, 2, "dialog set <control id> <text>"}},
        {"choose", {2, 2, "dialog choose <control id> <entry text>"}},
        {"check", {2, 2, "dialog check <control id> <item path>"}},
        {"uncheck", {2, 2, "dialog uncheck <control id> <item path>"}},
        {"press", {1, 1, "dialog press <control id>"}},
        {"record", {0, 0, "dialog record"}},
    };
    return forms;
}

// A decimal 32-bit signed number: the steps hand it on as a 32-bit value.
bool IsNumber(const std::u16string& w) {
    if (w.empty())
        return false;
    std::size_t i = (w[0] == u'-') ? 1 : 0;
    if (i == w.size() || w.size() - i > 10)
        return false;
    long long value = 0;
    for (; i < w.size(); ++i) {
        if (w[i] < u'0' || w[i] > u'9')
            return false;
        value = value * 10 + (w[i] - u'0');
    }
    return value <= (w[0] == u'-' ? 2147483648LL : 2147483647LL);
}

bool WaitSeconds(const std::u16string& w) {
    if (!IsNumber(w) || w[0] == u'-' || w.size() > 4)
        return false;
    return w.find_first_not_of(u'0') != std::u16string::npos;
}

// "Root/Child/Leaf": no empty text.
bool ValidPath(const std::u16string& path) {
    if (path.empty() || path.front() == u'/' || path.back() == u'/')
        return false;
    return path.find(u"//") == std::u16string::npos;
}

} // namespace

std::vector<Step> ParseScenario(std::string_view text, const std::string& file) {
    std::vector<Step> steps;
    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::vector<std::u16string> w;
        try {
            w = Words(line);
        } catch (const std::invalid_argument& e) {
            throw ScenarioError(file, number, e.what());
        }
        if (w.empty() || w[0][0] == u'#')
            continue;
        Step s;
        s.line = number;
        s.verb = kf::rt::Utf16ToUtf8(w[0]);
        s.args.assign(w.begin() + 1, w.end());
        auto it = Forms().find(s.verb);
        if (it == Forms().end())
            throw ScenarioError(file, number, "unknown step '" + s.verb + "'");
        if (s.args.size() < it->second.min || s.args.size() > it->second.max)
            throw ScenarioError(file, number, std::string("expected: ") + it->second.usage);
        if (s.verb == "dialog") {
            auto action = kf::rt::Utf16ToUtf8(s.args[0]);
            auto d = DialogForms().find(action);
            if (d == DialogForms().end())
                throw ScenarioError(file, number, "unknown dialog step '" + action + "'");
            if (s.args.size() - 1 < d->second.min || s.args.size() - 1 > d->second.max)
                throw ScenarioError(file, number, std::string("expected: ") + d->second.usage);
            if (action != "wait" && action != "record" && !IsNumber(s.args[1]))
                throw ScenarioError(file, number, "a control id is a number");
            if (action == "wait" && s.args.size() == 3 && !WaitSeconds(s.args[2]))
                throw ScenarioError(file, number, "a wait takes 1 to 9999 seconds");
            if ((action == "check" || action == "uncheck") && !ValidPath(s.args[2]))
                throw ScenarioError(file, number, "an item path is texts separated by '/'");
        }
        if ((s.verb == "command" || s.verb == "notify") && !IsNumber(s.args[0]))
            throw ScenarioError(file, number,
                                "expected a number, not '" + kf::rt::Utf16ToUtf8(s.args[0]) + "'");
        if (s.verb == "state" && !IsNumber(s.args[1]))
            throw ScenarioError(file, number, "expected a command number");
        if (s.verb == "setting" && s.args[0] != u"dword" && s.args[0] != u"string")
            throw ScenarioError(file, number, "expected: setting dword|string <name> <value>");
        if (s.verb == "setting" && s.args[0] == u"dword" && !IsNumber(s.args[2]))
            throw ScenarioError(file, number, "a dword setting takes a number");
        steps.push_back(std::move(s));
    }
    return steps;
}

} // namespace kf::kfhost
