#include "kf/draftora/journal.h"

#include <cstdlib>
#include <fstream>

#include "kf/draftora/node.h"
#include "kf/draftora/tool.h"
#include "kf/rt/utf16.h"

namespace kf::draftora {

using kf::model::InvokeKind;
using kf::model::InvokeResult;
using kf::model::Value;

std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    for (char c : kf::rt::Utf16ToUtf8(text)) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

std::string FormatValue(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Empty:
        return "empty";
    case Value::Kind::Bool:
        return v.AsBool() ? "true" : "false";
    case Value::Kind::Int:
        return std::to_string(v.AsInt());
    case Value::Kind::UInt:
        return std::to_string(v.AsUInt()) + "u";
    case Value::Kind::String:
        return Quote(v.AsString());
    case Value::Kind::Object:
        break;
    }
    auto object = v.AsObject();
    if (!object)
        return "null";
    if (auto node = std::dynamic_pointer_cast<Node>(object))
        return kf::rt::Utf16ToUtf8(node->Describe());
    return "object";
}

Journal::Journal() {
    file_ = EnvVar("KF_DRAFTORA_JOURNAL");
}

void Journal::Record(const std::u16string& object, std::u16string_view member, InvokeKind kind,
                     std::span<const Value> args, const InvokeResult& result) {
    std::string line = kf::rt::Utf16ToUtf8(object) + "." + kf::rt::Utf16ToUtf8(member) + " ";
    line += kind == InvokeKind::Get ? "get" : kind == InvokeKind::Put ? "put" : "call";
    line += "(";
    for (std::size_t i = 0; i < args.size(); ++i)
        line += (i ? ", " : "") + FormatValue(args[i]);
    line += ") -> ";
    switch (result.status) {
    case InvokeResult::Status::Ok:
        line += FormatValue(result.value);
        break;
    case InvokeResult::Status::UnknownName:
        line += "unknown";
        break;
    case InvokeResult::Status::Failed:
        line += "error " + Quote(result.description);
        break;
    }
    Note(line);
}

void Journal::Note(const std::string& line) {
    lines_.push_back(line);
    if (!file_.empty()) {
        std::ofstream out(file_, std::ios::app | std::ios::binary);
        out << line << '\n';
    }
}

} // namespace kf::draftora
