#pragma once
// Shared by the javap format tests: a resolver that accepts every class, and the
// checks that converted text keeps to the classic grammar.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kf/ejb/classresolver.h"
#include "kf/ejb/javaclassproxy.h"

namespace kf::ejb::javaptest {

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every class "exists"; the names asked for are kept so tests can see what the
// parser would have generated.
class AcceptingResolver : public ClassResolver {
public:
    JavaClassProxy* FindOrGenerate(const std::string& javaName) override {
        requested.push_back(javaName);
        auto& slot = records_[javaName];
        if (!slot) {
            slot = std::make_unique<JavaClassProxy>();
            slot->javaName = javaName;
            slot->proxyName = javaName.substr(javaName.rfind('.') + 1);
        }
        return slot.get();
    }
    void AddError(std::string text) override { errors.push_back(std::move(text)); }

    std::vector<std::string> requested;
    std::vector<std::string> errors;

private:
    std::map<std::string, std::unique_ptr<JavaClassProxy>> records_;
};

// A Java binary name as descriptors spell it with dots: a.b.Outer$Inner.
inline bool IsBinaryClassName(std::string_view name) {
    if (name.empty() || name.front() == '.' || name.back() == '.')
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '$' || (c == '.' && name[i + 1] != '.');
        if (!ok)
            return false;
    }
    return true;
}

inline std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos)
            nl = text.size();
        std::string_view line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = nl + 1;
    }
    return lines;
}

// Problems of converted text against the classic grammar; empty when it keeps to it.
// Member lines are those indented by four blanks; each needs its signature comment
// on the next line, and its brackets where the classic javap put them.
inline std::vector<std::string> ClassicGrammarProblems(std::string_view converted) {
    std::vector<std::string> problems;
    auto problem = [&](std::string_view what, std::string_view line) {
        problems.push_back(std::string(what) + ": " + std::string(line));
    };
    for (std::string_view bad : {"<", ">", "...", "descriptor:"}) {
        if (converted.find(bad) != std::string_view::npos)
            problems.push_back("contains " + std::string(bad));
    }
    auto lines = SplitLines(converted);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.substr(0, 4) != "    " || line.size() < 5 || line[4] == ' ' ||
            line.back() != ';' || line.substr(4, 11) == "descriptor:")
            continue; // not a member the converter wrote; raw lines show in "contains"
        if (i + 1 >= lines.size() || lines[i + 1].substr(0, 6) != "\t/*   " ||
            lines[i + 1].size() < 11 || lines[i + 1].substr(lines[i + 1].size() - 5) != "   */") {
            problem("member without signature comment", line);
            continue;
        }
        std::string_view descriptor = lines[i + 1].substr(6, lines[i + 1].size() - 11);
        ++i;
        if (descriptor.empty()) {
            problem("empty signature", line);
            continue;
        }
        std::size_t open = line.find('(');
        std::size_t descriptorBrackets = 0, lineBrackets = 0;
        for (char c : descriptor)
            descriptorBrackets += c == '[';
        for (char c : line)
            lineBrackets += c == '[';
        if (descriptorBrackets != lineBrackets)
            problem("brackets lost or invented", line);
        for (std::size_t at = line.find("[] "); at != line.npos; at = line.find("[] ", at + 1)) {
            if (line.substr(at, 10) != "[] throws ")
                problem("brackets after a type", line);
        }
        if (open == std::string_view::npos) {
            if (descriptor.front() == '(')
                problem("field with a method signature", line);
            std::size_t first = line.find('[');
            if (first != line.npos) {
                std::string_view rest = line.substr(first);
                while (rest.substr(0, 2) == "[]")
                    rest.remove_prefix(2);
                if (rest != ";")
                    problem("field brackets not after the name", line);
            }
            continue;
        }
        if (descriptor.front() != '(')
            problem("method with a field signature", line);
        std::size_t close = line.find(')', open);
        if (close == std::string_view::npos) {
            problem("unclosed parameter list", line);
            continue;
        }
        std::string_view params = line.substr(open + 1, close - open - 1);
        for (std::size_t p = params.find('['); p != params.npos; p = params.find('[', p + 1)) {
            if (params.substr(p, 2) != "[]")
                problem("parameter bracket", line);
            char after = p + 2 < params.size() ? params[p + 2] : ')';
            if (after != '[' && after != ',' && after != ')')
                problem("parameter brackets not after the type", line);
        }
        for (std::size_t from = 0; from <= params.size();) {
            std::size_t comma = std::min(params.find(',', from), params.size());
            std::string_view param = params.substr(from, comma - from);
            if (!param.empty() && param.front() == ' ')
                param.remove_prefix(1);
            if (param.find(' ') != param.npos)
                problem("parameter of more than a type", line);
            from = comma + 1;
        }
        std::string_view tail = line.substr(close + 1);
        while (tail.substr(0, 2) == "[]")
            tail.remove_prefix(2);
        if (tail != ";" && tail.substr(0, 8) != " throws ")
            problem("bad method tail", line);
    }
    return problems;
}

} // namespace kf::ejb::javaptest
