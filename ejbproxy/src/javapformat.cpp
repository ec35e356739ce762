// Rewrites what newer javap versions print for "-s -public" into the classic grammar
// the class description parser reads. Types come from the descriptor lines, which
// hold the erased JVM types; the declaration lines only give modifiers, names and
// throws lists. Lines that cannot be understood are passed through unchanged.

#include <algorithm>
#include "kf/ejb/javapformat.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kf::ejb {
namespace {

// The erased JVM type of a member; javap versions before 8 labelled it "Signature:".
constexpr std::string_view kDescriptorLabels[] = {"descriptor:", "Signature:"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Characters the parser's tokenizer splits on, plus those that would open or
// close a signature comment.
bool IsGrammarCharacter(char c) {
    switch (c) {
    case '(':
    case ')':
    case '[':
    case ']':
    case '{':
    case '}':
    case ',':
    case ';':
    case '<':
    case '>':
    case '*':
        return true;
    default:
        return IsBlank(c) || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    }
}

std::string_view Trim(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && IsBlank(s[b]))
        ++b;
    std::size_t e = s.size();
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Balanced <...> groups are dropped; "a.Outer<T>.Inner" becomes "a.Outer$Inner",
// the binary name the descriptors use. Unbalanced text gives nullopt.
std::optional<std::string> EraseGenerics(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<') {
            ++depth;
        } else if (c == '>') {
            if (depth == 0)
                return std::nullopt;
            --depth;
            if (depth == 0 && i + 1 < s.size() && s[i + 1] == '.') {
                out += '$';
                ++i;
            }
        } else if (depth == 0) {
            out += c;
        }
    }
    if (depth != 0)
        return std::nullopt;
    return out;
}

// Splits at blanks (separator 0) or at one separator character, but only outside
// <...>, so "java.util.Map<K, V> m" stays two pieces. Empty pieces are kept for
// separators and dropped for blanks. nullopt when the brackets do not balance.
std::optional<std::vector<std::string_view>> SplitTopLevel(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    std::size_t depth = 0;
    std::size_t start = 0;
    auto cut = [&](std::size_t end) {
        std::string_view piece = s.substr(start, end - start);
        if (separator != 0) {
            parts.push_back(Trim(piece));
        } else if (!piece.empty()) {
            parts.push_back(piece);
        }
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<') {
            ++depth;
        } else if (c == '>') {
            if (depth == 0)
                return std::nullopt;
            --depth;
        } else if (depth == 0 && (separator == 0 ? IsBlank(c) : c == separator)) {
            cut(i);
            start = i + 1;
        }
    }
    if (depth != 0)
        return std::nullopt;
    cut(s.size());
    return parts;
}

bool IsMemberModifier(std::string_view w) {
    return w == "public" || w == "protected" || w == "private" || w == "static" || w == "final" ||
           w == "abstract" || w == "synchronized" || w == "native" || w == "transient" ||
           w == "volatile" || w == "strictfp" || w == "default";
}

// Modifiers without a classic keyword that say nothing about types.
bool IsDroppedModifier(std::string_view w) {
    return w == "default" || w == "strictfp" || w == "sealed" || w == "non-sealed";
}

// A name the parser reads as one word. Dots separate packages only in class names.
bool IsPlainName(std::string_view s, bool dotsAllowed) {
    if (s.empty())
        return false;
    for (char c : s) {
        if (IsGrammarCharacter(c) || c == '/' || (!dotsAllowed && c == '.'))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- descriptors

// A class name inside a descriptor, between 'L' and ';': slash-separated, no empty part.
bool IsInternalName(std::string_view s) {
    if (s.empty() || s.front() == '/' || s.back() == '/')
        return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (IsGrammarCharacter(c) || c == '.' || (c == '/' && s[i + 1] == '/'))
            return false;
    }
    return true;
}

struct DescribedType {
    std::string_view primitive; // set for primitive types and void
    std::string_view internal;  // set for class types (slashes)
    std::size_t dimensions = 0;
};

void AppendElementName(std::string& out, const DescribedType& t) {
    if (!t.primitive.empty()) {
        out += t.primitive;
        return;
    }
    for (char c : t.internal)
        out += c == '/' ? '.' : c;
}

void AppendBrackets(std::string& out, std::size_t dimensions) {
    for (std::size_t i = 0; i < dimensions; ++i)
        out += "[]";
}

std::string_view PrimitiveName(char c) {
    switch (c) {
    case 'B':
        return "byte";
    case 'C':
        return "char";
    case 'D':
        return "double";
    case 'F':
        return "float";
    case 'I':
        return "int";
    case 'J':
        return "long";
    case 'S':
        return "short";
    case 'Z':
        return "boolean";
    default:
        return {};
    }
}

// One field type (or, with voidAllowed, a return type) starting at pos.
std::optional<DescribedType> ParseType(std::string_view d, std::size_t& pos, bool voidAllowed) {
    DescribedType t;
    while (pos < d.size() && d[pos] == '[') {
        ++t.dimensions;
        ++pos;
    }
    if (pos >= d.size())
        return std::nullopt;
    char c = d[pos];
    if (c == 'L') {
        std::size_t semi = d.find(';', pos + 1);
        if (semi == std::string_view::npos)
            return std::nullopt;
        t.internal = d.substr(pos + 1, semi - pos - 1);
        if (!IsInternalName(t.internal))
            return std::nullopt;
        pos = semi + 1;
        return t;
    }
    if (c == 'V' && voidAllowed && t.dimensions == 0) {
        t.primitive = "void";
    } else {
        t.primitive = PrimitiveName(c);
        if (t.primitive.empty())
            return std::nullopt;
    }
    ++pos;
    return t;
}

struct MethodDescriptor {
    std::string parameters; // "int, java.lang.Object[]", ready to print
    DescribedType result;
};

std::optional<MethodDescriptor> ParseMethodDescriptor(std::string_view d) {
    if (d.empty() || d.front() != '(')
        return std::nullopt;
    MethodDescriptor m;
    std::size_t pos = 1;
    bool first = true;
    while (pos < d.size() && d[pos] != ')') {
        auto t = ParseType(d, pos, false);
        if (!t)
            return std::nullopt;
        if (!first)
            m.parameters += ", ";
        first = false;
        AppendElementName(m.parameters, *t);
        AppendBrackets(m.parameters, t->dimensions);
    }
    if (pos >= d.size())
        return std::nullopt;
    ++pos;
    auto result = ParseType(d, pos, true);
    if (!result || pos != d.size())
        return std::nullopt;
    m.result = *result;
    return m;
}

std::optional<DescribedType> ParseFieldDescriptor(std::string_view d) {
    std::size_t pos = 0;
    auto t = ParseType(d, pos, false);
    if (!t || pos != d.size())
        return std::nullopt;
    return t;
}

// ---------------------------------------------------------------- type variables

// The type variables of one scope (a class head or a generic method) with the
// erasure of their first bound. Each variable is resolved at most once, so chains
// of bounds cost their length and no more.
class TypeVariables {
public:
    // "<T extends a.B<? super T>, U>"; false when the group is malformed.
    bool Add(std::string_view group) {
        if (group.size() < 2 || group.front() != '<' || group.back() != '>')
            return false;
        auto params = SplitTopLevel(group.substr(1, group.size() - 2), ',');
        if (!params)
            return false;
        for (std::string_view p : *params) {
            std::size_t blank = 0;
            while (blank < p.size() && !IsBlank(p[blank]))
                ++blank;
            std::string_view name = p.substr(0, blank);
            std::string_view rest = Trim(p.substr(blank));
            if (!IsPlainName(name, false))
                return false;
            std::string bound = "java.lang.Object";
            if (!rest.empty()) {
                if (!StartsWith(rest, "extends") || rest.size() == 7 || !IsBlank(rest[7]))
                    return false;
                rest = Trim(rest.substr(7));
                auto bounds = SplitTopLevel(rest, '&');
                if (!bounds || bounds->front().empty())
                    return false;
                auto erased = EraseGenerics(bounds->front());
                if (!erased || !IsPlainName(*erased, true))
                    return false;
                bound = std::move(*erased);
            }
            Variable v;
            v.bound = std::move(bound);
            vars_.emplace(std::string(name), std::move(v));
        }
        return true;
    }

    void Clear() { vars_.clear(); }

    struct Variable {
        std::string bound;
        enum class State { Open, Resolved, Unresolvable } state = State::Open;
        std::string resolved;
    };

    Variable* Find(const std::string& name) {
        auto it = vars_.find(name);
        return it == vars_.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<std::string, Variable> vars_;
};

// The erased type of a throws entry that names a type variable: method variables
// first, then the class's. nullopt when it is no type variable or its bounds loop.
std::optional<std::string> ResolveTypeVariable(const std::string& name, TypeVariables* method,
                                               TypeVariables& cls) {
    using State = TypeVariables::Variable::State;
    std::vector<TypeVariables::Variable*> path;
    const std::string* current = &name;
    std::optional<std::string> result;
    bool unresolvable = false;
    for (;;) {
        TypeVariables::Variable* v = method ? method->Find(*current) : nullptr;
        if (!v) {
            method = nullptr; // a class variable's bound only sees class variables
            v = cls.Find(*current);
        }
        if (!v) {
            if (!path.empty())
                result = *current;
            break;
        }
        if (v->state == State::Resolved) {
            result = v->resolved;
            break;
        }
        if (v->state == State::Unresolvable) {
            unresolvable = true;
            break;
        }
        v->state = State::Unresolvable; // a loop back to it ends the walk
        path.push_back(v);
        current = &v->bound;
    }
    for (auto* v : path) {
        if (result && !unresolvable) {
            v->state = State::Resolved;
            v->resolved = *result;
        } else {
            v->state = State::Unresolvable;
        }
    }
    if (unresolvable)
        return std::nullopt;
    return result;
}

// ---------------------------------------------------------------- declarations

struct ClassHead {
    std::vector<std::string_view> modifiers;
    std::string_view kind;
    std::string_view name;
    std::string_view typeParameters; // "<...>" or empty
    std::vector<std::string> extendsList;
    std::vector<std::string> implementsList;
    bool modern = false; // carries something the classic grammar lacks
};

bool IsClassKind(std::string_view w) {
    return w == "class" || w == "interface" || w == "enum" || w == "record" || w == "@interface";
}

// "public final class a.B<T> extends a.C<T> implements a.D<T>, a.E {"
std::optional<ClassHead> ParseClassHead(std::string_view line) {
    if (line.empty() || line.back() != '{')
        return std::nullopt;
    std::string_view body = Trim(line.substr(0, line.size() - 1));
    if (body.find_first_of("(){};/*[]") != std::string_view::npos)
        return std::nullopt;
    auto words = SplitTopLevel(body, 0);
    if (!words)
        return std::nullopt;
    ClassHead head;
    std::size_t i = 0;
    for (; i < words->size() && !IsClassKind((*words)[i]); ++i) {
        std::string_view w = (*words)[i];
        if (!IsPlainName(w, false))
            return std::nullopt;
        if (IsDroppedModifier(w)) {
            head.modern = true;
        } else {
            head.modifiers.push_back(w);
        }
    }
    if (i + 1 >= words->size())
        return std::nullopt;
    // A head of modifiers only, none of them "public", cannot be read by the classic
    // grammar (see ClassicHead). Other words before the kind ("No source...") are left alone.
    const auto isClassModifier = [](std::string_view w) {
        return w == "abstract" || w == "final" || w == "static" || w == "protected" ||
               w == "private";
    };
    if (std::all_of(head.modifiers.begin(), head.modifiers.end(), isClassModifier))
        head.modern = true;
    head.kind = (*words)[i];
    if (head.kind != "class" && head.kind != "interface")
        head.modern = true;
    std::string_view nameWord = (*words)[++i];
    std::size_t lt = nameWord.find('<');
    head.name = nameWord.substr(0, lt);
    if (lt != std::string_view::npos) {
        head.typeParameters = nameWord.substr(lt);
        if (head.typeParameters.back() != '>')
            return std::nullopt;
        head.modern = true;
    }
    if (!IsPlainName(head.name, true))
        return std::nullopt;

    // The clauses, with commas as tokens of their own: "a.B<K, V>," is an item and ",".
    std::vector<std::string_view> tokens;
    for (++i; i < words->size(); ++i) {
        std::string_view w = (*words)[i];
        if (w == "extends" || w == "implements" || w == "permits") {
            tokens.push_back(w);
            continue;
        }
        auto items = SplitTopLevel(w, ',');
        if (!items)
            return std::nullopt;
        for (std::size_t k = 0; k < items->size(); ++k) {
            if (k > 0)
                tokens.push_back(",");
            if (!(*items)[k].empty())
                tokens.push_back((*items)[k]);
        }
    }
    std::vector<std::string> permits;
    std::vector<std::string>* list = nullptr;
    bool expectItem = false;
    for (std::string_view tok : tokens) {
        if (tok == "extends" || tok == "implements" || tok == "permits") {
            if (expectItem)
                return std::nullopt;
            list = tok == "extends"      ? &head.extendsList
                   : tok == "implements" ? &head.implementsList
                                         : &permits;
            if (tok == "permits")
                head.modern = true;
            expectItem = true;
        } else if (tok == ",") {
            if (expectItem || !list)
                return std::nullopt;
            expectItem = true;
        } else {
            if (!expectItem)
                return std::nullopt;
            if (tok.find('<') != std::string_view::npos)
                head.modern = true;
            auto erased = EraseGenerics(tok);
            if (!erased || !IsPlainName(*erased, true))
                return std::nullopt;
            list->push_back(std::move(*erased));
            expectItem = false;
        }
    }
    if (expectItem)
        return std::nullopt;
    return head;
}

std::string ClassicHead(const ClassHead& head) {
    std::string out;
    // A package-private superclass (java.lang.AbstractStringBuilder, say) is printed
    // without "public", yet its public members belong to the public classes built on it:
    // the head must start with "public" for its members to be read at all.
    if (std::find(head.modifiers.begin(), head.modifiers.end(), "public") == head.modifiers.end())
        out += "public ";
    for (std::string_view m : head.modifiers) {
        out += m;
        out += ' ';
    }
    out += head.kind == "interface" || head.kind == "@interface" ? "interface" : "class";
    out += ' ';
    out += head.name;
    auto appendList = [&](std::string_view keyword, const std::vector<std::string>& items) {
        if (items.empty())
            return;
        out += keyword;
        for (std::size_t k = 0; k < items.size(); ++k) {
            if (k)
                out += ',';
            out += items[k];
        }
    };
    appendList(" extends ", head.extendsList);
    appendList(" implements ", head.implementsList);
    out += '{';
    return out;
}

enum class MemberKind { Field, Method, Constructor };

struct MemberDeclaration {
    MemberKind kind = MemberKind::Field;
    std::vector<std::string_view> modifiers; // those the classic text keeps, in order
    std::vector<std::string_view> typeParameters;
    std::string name;
    std::vector<std::string_view> throwsList;
};

// "  public static <T> java.util.List<T> f(T[], int) throws X, a/b/E;"
std::optional<MemberDeclaration> ParseMemberDeclaration(std::string_view line) {
    if (line.empty() || line.back() != ';')
        return std::nullopt;
    std::string_view body = Trim(line.substr(0, line.size() - 1));
    MemberDeclaration decl;

    std::size_t open = std::string_view::npos;
    std::size_t depth = 0;
    for (std::size_t i = 0; i < body.size() && open == std::string_view::npos; ++i) {
        if (body[i] == '<') {
            ++depth;
        } else if (body[i] == '>') {
            if (depth == 0)
                return std::nullopt;
            --depth;
        } else if (body[i] == '(' && depth == 0) {
            open = i;
        }
    }
    std::string_view front = body;
    if (open != std::string_view::npos) {
        std::size_t close = body.find(')', open);
        if (close == std::string_view::npos ||
            body.substr(open + 1, close - open - 1).find('(') != std::string_view::npos)
            return std::nullopt;
        std::string_view after = Trim(body.substr(close + 1));
        if (!after.empty()) {
            if (!StartsWith(after, "throws") || after.size() == 6 || !IsBlank(after[6]))
                return std::nullopt;
            auto items = SplitTopLevel(Trim(after.substr(6)), ',');
            if (!items)
                return std::nullopt;
            for (std::string_view item : *items) {
                if (item.empty())
                    return std::nullopt;
                decl.throwsList.push_back(item);
            }
        }
        front = Trim(body.substr(0, open));
    }
    if (front.find_first_of("(){};") != std::string_view::npos)
        return std::nullopt;
    auto words = SplitTopLevel(front, 0);
    if (!words || words->empty())
        return std::nullopt;

    std::size_t n = words->size();
    std::size_t modifierCount;
    bool typed = n >= 2 && !IsMemberModifier((*words)[n - 2]) && (*words)[n - 2].front() != '<';
    if (open == std::string_view::npos) {
        if (!typed)
            return std::nullopt;
        decl.kind = MemberKind::Field;
        modifierCount = n - 2;
    } else {
        decl.kind = typed ? MemberKind::Method : MemberKind::Constructor;
        modifierCount = typed ? n - 2 : n - 1;
    }
    for (std::size_t i = 0; i < modifierCount; ++i) {
        std::string_view w = (*words)[i];
        if (w.front() == '<') {
            decl.typeParameters.push_back(w);
        } else if (!IsDroppedModifier(w)) {
            decl.modifiers.push_back(w);
        }
    }
    std::string_view name = (*words)[n - 1];
    if (decl.kind == MemberKind::Constructor) {
        auto erased = EraseGenerics(name);
        if (!erased || !IsPlainName(*erased, true))
            return std::nullopt;
        decl.name = std::move(*erased);
    } else {
        if (!IsPlainName(name, false))
            return std::nullopt;
        decl.name = std::string(name);
    }
    return decl;
}

// ---------------------------------------------------------------- the converter

struct Line {
    std::string_view content; // without its line end
    std::string_view ending;  // "\n", "\r\n" or empty at the end of the text
};

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    std::optional<Line> Peek() const {
        if (pos_ >= text_.size())
            return std::nullopt;
        std::size_t nl = text_.find('\n', pos_);
        Line line;
        if (nl == std::string_view::npos) {
            line.content = text_.substr(pos_);
        } else {
            std::size_t end = nl;
            if (end > pos_ && text_[end - 1] == '\r')
                --end;
            line.content = text_.substr(pos_, end - pos_);
            line.ending = text_.substr(end, nl + 1 - end);
        }
        return line;
    }

    std::optional<Line> Next() {
        auto line = Peek();
        if (line)
            pos_ += line->content.size() + line->ending.size();
        return line;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::optional<std::string_view> DescriptorOf(std::string_view trimmed) {
    for (std::string_view label : kDescriptorLabels) {
        if (StartsWith(trimmed, label))
            return Trim(trimmed.substr(label.size()));
    }
    return std::nullopt;
}

class Converter {
public:
    explicit Converter(std::string_view text) : text_(text) {
        // Descriptors spell types longer than javap's short forms ("Z" is "boolean"),
        // but never by more than this; beyond it the input is not javap output.
        limit_ = text.size() * 16 + 65536;
        out_.reserve(text.size() + text.size() / 4);
    }

    std::string Run() {
        LineReader reader(text_);
        bool inBody = false;
        while (auto line = reader.Next()) {
            std::string_view t = Trim(line->content);
            if (auto head = ParseClassHead(t)) {
                classVariables_.Clear();
                if (!head->typeParameters.empty())
                    classVariables_.Add(head->typeParameters);
                out_ += ClassicHead(*head);
                out_ += line->ending;
                inBody = true;
                continue;
            }
            if (inBody) {
                if (t == "}")
                    inBody = false;
                if (t.empty())
                    continue; // javap's blank separators between members
                if (t.back() == ';') {
                    auto next = reader.Peek();
                    if (next) {
                        auto descriptor = DescriptorOf(Trim(next->content));
                        if (descriptor && AppendMember(t, *descriptor, *line, *next)) {
                            reader.Next();
                            continue;
                        }
                        if (overflow_)
                            return std::string(text_);
                    }
                }
            }
            out_ += line->content;
            out_ += line->ending;
        }
        if (out_.size() > limit_)
            return std::string(text_);
        return std::move(out_);
    }

private:
    bool AppendMember(std::string_view declLine, std::string_view descriptor, const Line& decl,
                      const Line& descriptorLine) {
        auto member = ParseMemberDeclaration(declLine);
        if (!member)
            return false;

        TypeVariables methodVariables;
        for (std::string_view group : member->typeParameters) {
            if (!methodVariables.Add(group))
                return false;
        }
        std::vector<std::string> exceptions;
        exceptions.reserve(member->throwsList.size());
        std::size_t length = out_.size() + declLine.size() + 2 * descriptor.size();
        for (std::string_view item : member->throwsList) {
            auto erased = EraseGenerics(item);
            if (!erased)
                return false;
            for (char& c : *erased) {
                if (c == '/')
                    c = '.'; // javap prints some throws entries in internal form
            }
            if (auto bound = ResolveTypeVariable(*erased, &methodVariables, classVariables_)) {
                erased = std::move(bound);
            }
            if (!IsPlainName(*erased, true))
                return false;
            length += erased->size() + 2;
            if (length > limit_) {
                overflow_ = true;
                return false;
            }
            exceptions.push_back(std::move(*erased));
        }

        std::string text = "    ";
        for (std::string_view m : member->modifiers) {
            text += m;
            text += ' ';
        }
        if (member->kind == MemberKind::Field) {
            auto type = ParseFieldDescriptor(descriptor);
            if (!type)
                return false;
            AppendElementName(text, *type);
            text += ' ';
            text += member->name;
            AppendBrackets(text, type->dimensions);
        } else {
            auto method = ParseMethodDescriptor(descriptor);
            if (!method)
                return false;
            if (member->kind == MemberKind::Constructor) {
                if (method->result.primitive != "void")
                    return false;
            } else {
                AppendElementName(text, method->result);
                text += ' ';
            }
            text += member->name;
            text += '(';
            text += method->parameters;
            text += ')';
            AppendBrackets(text, method->result.dimensions);
            for (std::size_t k = 0; k < exceptions.size(); ++k) {
                text += k ? ", " : " throws ";
                text += exceptions[k];
            }
        }
        text += ';';
        if (out_.size() + text.size() > limit_) {
            overflow_ = true;
            return false;
        }
        out_ += text;
        out_ += decl.ending.empty() ? descriptorLine.ending : decl.ending;
        out_ += "\t/*   ";
        out_ += descriptor;
        out_ += "   */";
        out_ += descriptorLine.ending;
        return true;
    }

    std::string_view text_;
    std::string out_;
    std::size_t limit_ = 0;
    bool overflow_ = false;
    TypeVariables classVariables_;
};

} // namespace

bool IsModernJavapFormat(std::string_view text) {
    LineReader reader(text);
    while (auto line = reader.Next()) {
        std::string_view t = Trim(line->content);
        if (DescriptorOf(t))
            return true;
        if (!t.empty() && t.back() == '{') {
            auto head = ParseClassHead(t);
            if (head && head->modern)
                return true;
        }
    }
    return false;
}

std::string ConvertModernJavapFormat(std::string_view text) {
    if (!IsModernJavapFormat(text))
        return std::string(text);
    return Converter(text).Run();
}

} // namespace kf::ejb
