#include "kf/draftora/fixture.h"

#include "kf/model/names.h"
#include "kf/rt/utf16.h"

namespace kf::draftora {

FileError::FileError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + message) {}

std::vector<std::u16string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::string w;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\') {
                    if (i >= line.size())
                        break;
                    char e = line[i++];
                    switch (e) {
                    case '"':
                    case '\\':
                        w += e;
                        break;
                    case 'n':
                        w += '\n';
                        break;
                    case 'r':
                        w += '\r';
                        break;
                    case 't':
                        w += '\t';
                        break;
                    default:
                        throw std::invalid_argument(std::string("unknown escape \\") + e);
                    }
                    continue;
                }
                w += c;
            }
            if (!closed)
                throw std::invalid_argument("unterminated quoted text");
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                w += line[i++];
        }
        words.push_back(std::move(w));
    }
    std::vector<std::u16string> out;
    for (const auto& w : words) {
        auto u = kf::rt::Utf8ToUtf16(w);
        if (!u)
            throw std::invalid_argument("text is not UTF-8");
        out.push_back(std::move(*u));
    }
    return out;
}

namespace {

bool KindMatches(const std::string& pattern, std::string_view kind) {
    return pattern == "*" || pattern == kind;
}

// "Kind.Member" into its parts.
bool SplitMember(const std::u16string& word, std::string& kind, std::u16string& member) {
    auto dot = word.find(u'.');
    if (dot == std::u16string::npos || dot == 0 || dot + 1 == word.size())
        return false;
    kind = kf::rt::Utf16ToUtf8(word.substr(0, dot));
    member = word.substr(dot + 1);
    return true;
}

} // namespace

const Fixture::Failure* Fixture::FailureFor(std::string_view kind,
                                            std::u16string_view member) const {
    for (const auto& f : failures)
        if (KindMatches(f.kind, kind) && kf::model::EqualsNoCase(f.member, member))
            return &f;
    return nullptr;
}

bool Fixture::IsUnknown(std::string_view kind, std::u16string_view member) const {
    for (const auto& u : unknowns)
        if (KindMatches(u.kind, kind) && kf::model::EqualsNoCase(u.member, member))
            return true;
    return false;
}

Fixture ParseFixture(std::string_view text, const std::string& file) {
    Fixture fx;
    int number = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
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
            w = SplitWords(line);
        } catch (const std::invalid_argument& e) {
            throw FileError(file, number, e.what());
        }
        if (w.empty() || w[0][0] == u'#')
            continue;
        auto verb = kf::rt::Utf16ToUtf8(w[0]);
        auto need = [&](std::size_t min, std::size_t max, const char* form) {
            if (w.size() - 1 < min || w.size() - 1 > max)
                throw FileError(file, number, std::string("expected: ") + form);
        };
        if (verb == "version") {
            need(1, 1, "version <text>");
            fx.version = w[1];
        } else if (verb == "journal") {
            need(1, 1, "journal on|off");
            if (w[1] != u"on" && w[1] != u"off")
                throw FileError(file, number, "expected: journal on|off");
            fx.journal = w[1] == u"on";
        } else if (verb == "fail") {
            need(1, 2, "fail <Kind.Member> [<description>]");
            Fixture::Failure f;
            if (!SplitMember(w[1], f.kind, f.member))
                throw FileError(file, number,
                                "expected Kind.Member, got " + kf::rt::Utf16ToUtf8(w[1]));
            if (w.size() > 2)
                f.description = w[2];
            fx.failures.push_back(std::move(f));
        } else if (verb == "unknown") {
            need(1, 1, "unknown <Kind.Member>");
            Fixture::Unknown u;
            if (!SplitMember(w[1], u.kind, u.member))
                throw FileError(file, number,
                                "expected Kind.Member, got " + kf::rt::Utf16ToUtf8(w[1]));
            fx.unknowns.push_back(std::move(u));
        } else if (verb == "open" || verb == "active-model") {
            need(1, 1, (verb + " <model file>").c_str());
            fx.steps.push_back({verb, {w.begin() + 1, w.end()}, number});
        } else if (verb == "active-diagram") {
            need(1, 2, "active-diagram <model file> [<package code>]");
            fx.steps.push_back({verb, {w.begin() + 1, w.end()}, number});
        } else if (verb == "select") {
            need(2, 64, "select <model file> <package code> [<class code>...]");
            fx.steps.push_back({verb, {w.begin() + 1, w.end()}, number});
        } else if (verb == "ext") {
            need(3, 4, "ext <model file> [<package code>] <name> <value>");
            fx.steps.push_back({verb, {w.begin() + 1, w.end()}, number});
        } else {
            throw FileError(file, number, "unknown line kind '" + verb + "'");
        }
    }
    return fx;
}

} // namespace kf::draftora
