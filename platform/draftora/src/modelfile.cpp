// Model file format, version 1: one object a line, nesting by two spaces of indentation,
// `keyword key=value ...` with quoted texts, true/false and integers (a trailing u: unsigned).
#include "kf/draftora/modelfile.h"

#include <algorithm>
#include <map>

#include "kf/draftora/fixture.h"
#include "kf/draftora/journal.h"
#include "kf/draftora/tool.h"
#include "kf/rt/utf16.h"

namespace kf::draftora {
namespace {

constexpr std::string_view kMagic = "draftora-model";

struct Line {
    int number = 0;
    int depth = 0;
    std::string keyword;
    std::vector<std::pair<std::string, Value>> fields;
};

struct Reader {
    const std::string& file;
    int number = 0;

    [[noreturn]] void Fail(const std::string& message) const {
        throw FileError(file, number, message);
    }

    Value ParseValue(std::string_view s, std::size_t& i) const {
        if (i < s.size() && s[i] == '"') {
            std::size_t start = i;
            ++i;
            while (i < s.size() && s[i] != '"') {
                if (s[i] == '\\')
                    ++i;
                ++i;
            }
            if (i >= s.size())
                Fail("unterminated quoted text");
            ++i;
            try {
                auto words = SplitWords(s.substr(start, i - start));
                return Value(words.empty() ? std::u16string() : words[0]);
            } catch (const std::invalid_argument& e) {
                Fail(e.what());
            }
        }
        std::size_t start = i;
        while (i < s.size() && s[i] != ' ')
            ++i;
        std::string_view bare = s.substr(start, i - start);
        if (bare == "true")
            return Value(true);
        if (bare == "false")
            return Value(false);
        bool isUnsigned = !bare.empty() && bare.back() == 'u';
        std::string_view digits = isUnsigned ? bare.substr(0, bare.size() - 1) : bare;
        bool negative = !digits.empty() && digits[0] == '-' && !isUnsigned;
        if (negative)
            digits.remove_prefix(1);
        if (digits.empty() || digits.size() > 10 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            Fail("bad value '" + std::string(bare) + "'");
        long long n = std::stoll(std::string(digits));
        if (negative)
            n = -n;
        if (isUnsigned) {
            if (n > 0xFFFFFFFFLL)
                Fail("number out of range");
            return Value(static_cast<std::uint32_t>(n));
        }
        if (n < INT32_MIN || n > INT32_MAX)
            Fail("number out of range");
        return Value(static_cast<std::int32_t>(n));
    }

    Line Parse(std::string_view s) const {
        Line l;
        l.number = number;
        std::size_t i = 0;
        while (i < s.size() && s[i] == ' ')
            ++i;
        if (i < s.size() && s[i] == '\t')
            Fail("tabs are not allowed for indentation");
        if (i % 2)
            Fail("indentation must be a multiple of two spaces");
        l.depth = static_cast<int>(i / 2);
        while (i < s.size() && s[i] != ' ')
            l.keyword += s[i++];
        while (i < s.size()) {
            if (s[i] == ' ') {
                ++i;
                continue;
            }
            std::size_t eq = s.find('=', i);
            std::size_t sp = s.find(' ', i);
            if (eq == std::string_view::npos || (sp != std::string_view::npos && sp < eq))
                Fail("expected key=value");
            std::string key(s.substr(i, eq - i));
            if (key.empty())
                Fail("empty key");
            i = eq + 1;
            Value v = ParseValue(s, i);
            if (i < s.size() && s[i] != ' ')
                Fail("expected a blank after a value");
            l.fields.emplace_back(std::move(key), std::move(v));
        }
        return l;
    }
};

struct PendingSymbol {
    NodeRef symbol;
    std::int32_t ref;
    int line;
};

std::string KeyText(const std::u16string& key) {
    return kf::rt::Utf16ToUtf8(key);
}

void WriteFields(std::string& out, const Node& n, std::int32_t id) {
    if (id)
        out += " id=" + std::to_string(id);
    for (const auto& [key, value] : n.Fields()) {
        if (value.kind() == Value::Kind::Object || value.kind() == Value::Kind::Empty)
            continue; // run-time only
        auto k = KeyText(key);
        if (k.empty() || k.find_first_of(" =\"\t\r\n") != std::string::npos || k == "id" ||
            k == "ref")
            continue;
        out += " " + k + "=" + FormatValue(value);
    }
    out += "\n";
}

void WriteExts(std::string& out, const Node& n, const std::string& pad) {
    for (const auto& [key, value] : n.Exts())
        out += pad + "ext name=" + Quote(key) + " value=" + Quote(value) + "\n";
}

} // namespace

NodeRef ReadModel(Tool& tool, std::string_view text, const std::string& file) {
    Reader r{file};
    std::vector<Line> lines;
    std::size_t pos = 0;
    bool sawMagic = false;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view s = text.substr(pos, end - pos);
        pos = end + 1;
        ++r.number;
        if (!s.empty() && s.back() == '\r')
            s.remove_suffix(1);
        auto first = s.find_first_not_of(' ');
        if (first == std::string_view::npos || s[first] == '#')
            continue;
        if (!sawMagic) {
            if (s.substr(0, kMagic.size()) != kMagic || s.size() < kMagic.size() + 2 ||
                s[kMagic.size()] != ' ')
                r.Fail("not a model file (expected 'draftora-model 1')");
            if (s.substr(kMagic.size() + 1) != "1")
                r.Fail("unsupported model file version " +
                       std::string(s.substr(kMagic.size() + 1)));
            sawMagic = true;
            continue;
        }
        lines.push_back(r.Parse(s));
    }
    if (!sawMagic)
        r.Fail("empty model file");

    NodeRef model;
    std::vector<NodeRef> stack; // stack[d]: the object at depth d
    std::map<std::int32_t, NodeRef> ids;
    std::vector<PendingSymbol> pending;
    static const std::map<std::string, std::vector<std::string>> allowed = {
        {"model", {"language", "ext", "diagram", "package"}},
        {"package", {"ext", "diagram", "class"}},
        {"class", {"ext", "attribute", "operation", "innerlink"}},
        {"diagram", {"symbol"}},
    };
    static const std::map<std::string, Kind> kinds = {{"model", Kind::Model},
                                                      {"package", Kind::Package},
                                                      {"class", Kind::Class},
                                                      {"attribute", Kind::Attribute},
                                                      {"operation", Kind::Operation},
                                                      {"innerlink", Kind::InnerLink},
                                                      {"diagram", Kind::Diagram},
                                                      {"symbol", Kind::Symbol},
                                                      {"language", Kind::ObjectLanguage}};
    auto keywordOf = [](const Node& n) -> std::string {
        if (n.kind() == Kind::Collection)
            return "ext";
        for (const auto& [k, kind] : kinds)
            if (kind == n.kind())
                return k;
        return "";
    };

    for (auto& l : lines) {
        r.number = l.number;
        if (l.depth == 0) {
            if (l.keyword != "model")
                r.Fail("expected 'model' at the top level, got '" + l.keyword + "'");
            if (model)
                r.Fail("a second model");
        } else {
            if (l.depth > static_cast<int>(stack.size()))
                r.Fail("indented too deep");
            auto owner = stack[static_cast<std::size_t>(l.depth - 1)];
            auto it = allowed.find(keywordOf(*owner));
            if (it == allowed.end() ||
                std::find(it->second.begin(), it->second.end(), l.keyword) == it->second.end())
                r.Fail("'" + l.keyword + "' cannot appear in '" + keywordOf(*owner) + "'");
        }
        stack.resize(static_cast<std::size_t>(l.depth));
        NodeRef owner = l.depth ? stack.back() : nullptr;

        if (l.keyword == "ext") {
            std::u16string name, value;
            bool hasName = false;
            for (auto& [k, v] : l.fields) {
                if (k == "name" && v.kind() == Value::Kind::String) {
                    name = v.AsString();
                    hasName = true;
                } else if (k == "value" && v.kind() == Value::Kind::String) {
                    value = v.AsString();
                } else {
                    r.Fail("ext takes name=\"...\" and value=\"...\"");
                }
            }
            if (!hasName || name.empty())
                r.Fail("ext without a name");
            owner->SetExt(name, value);
            stack.push_back(NewNode(tool, Kind::Collection)); // nothing nests below an ext
            continue;
        }

        auto node = NewNode(tool, kinds.at(l.keyword));
        std::int32_t id = 0, ref = 0;
        for (auto& [k, v] : l.fields) {
            if (k == "id" || k == "ref") {
                if (v.kind() != Value::Kind::Int || v.AsInt() <= 0)
                    r.Fail(k + " must be a positive number");
                (k == "id" ? id : ref) = v.AsInt();
            } else if (l.keyword == "symbol") {
                r.Fail("a symbol takes only ref=");
            } else {
                node->SetField(kf::rt::Utf8ToUtf16(k).value_or(u""), v);
            }
        }
        if (id) {
            if (l.keyword != "package" && l.keyword != "class")
                r.Fail("only packages and classes have an id");
            if (!ids.emplace(id, node).second)
                r.Fail("id " + std::to_string(id) + " is used twice");
        }
        if (l.keyword == "symbol") {
            if (!ref)
                r.Fail("a symbol needs ref=");
            pending.push_back({node, ref, l.number});
        }

        if (!owner) {
            model = node;
        } else {
            node->parent = owner;
            if (l.keyword == "language") {
                if (owner->language)
                    r.Fail("a second language");
                owner->language = node;
            } else if (l.keyword == "diagram") {
                if (owner->diagram)
                    r.Fail("a second diagram");
                owner->diagram = node;
            } else if (l.keyword == "package") {
                owner->packages.push_back(node);
            } else if (l.keyword == "class") {
                owner->classes.push_back(node);
            } else if (l.keyword == "attribute") {
                owner->attributes.push_back(node);
            } else if (l.keyword == "operation") {
                owner->operations.push_back(node);
            } else if (l.keyword == "innerlink") {
                owner->innerLinks.push_back(node);
            } else if (l.keyword == "symbol") {
                owner->symbols.push_back(node);
            }
        }
        stack.push_back(node);
    }
    if (!model)
        r.Fail("no model in the file");
    for (const auto& p : pending) {
        auto it = ids.find(p.ref);
        if (it == ids.end()) {
            r.number = p.line;
            r.Fail("ref " + std::to_string(p.ref) + " names no package or class");
        }
        p.symbol->target = it->second;
    }
    return model;
}

std::string WriteModel(const Node& model) {
    std::map<const Node*, std::int32_t> ids;
    std::int32_t next = 0;
    for (const auto& p : model.packages) {
        ids[p.get()] = ++next;
        for (const auto& c : p->classes)
            ids[c.get()] = ++next;
    }
    auto idOf = [&](const Node* n) {
        auto it = ids.find(n);
        return it == ids.end() ? 0 : it->second;
    };
    std::string out = std::string(kMagic) + " 1\n";
    auto writeDiagram = [&](const NodeRef& d, const std::string& pad) {
        if (!d)
            return;
        out += pad + "diagram";
        WriteFields(out, *d, 0);
        for (const auto& s : d->symbols)
            if (auto t = s->target.lock(); t && idOf(t.get()))
                out += pad + "  symbol ref=" + std::to_string(idOf(t.get())) + "\n";
    };
    out += "model";
    WriteFields(out, model, 0);
    if (model.language) {
        out += "  language";
        WriteFields(out, *model.language, 0);
    }
    WriteExts(out, model, "  ");
    writeDiagram(model.diagram, "  ");
    for (const auto& p : model.packages) {
        out += "  package";
        WriteFields(out, *p, idOf(p.get()));
        WriteExts(out, *p, "    ");
        writeDiagram(p->diagram, "    ");
        for (const auto& c : p->classes) {
            out += "    class";
            WriteFields(out, *c, idOf(c.get()));
            WriteExts(out, *c, "      ");
            for (const auto& a : c->attributes) {
                out += "      attribute";
                WriteFields(out, *a, 0);
            }
            for (const auto& o : c->operations) {
                out += "      operation";
                WriteFields(out, *o, 0);
            }
            for (const auto& i : c->innerLinks) {
                out += "      innerlink";
                WriteFields(out, *i, 0);
            }
        }
    }
    return out;
}

} // namespace kf::draftora
