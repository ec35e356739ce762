#include <atomic>

#include "kf/draftora/node.h"
#include "kf/draftora/tool.h"
#include "kf/model/names.h"

namespace kf::draftora {
namespace {

std::atomic<long> g_live{0};

struct KindInfo {
    Kind kind;
    std::string_view name;
    std::int32_t number;
};

constexpr KindInfo kKinds[] = {
    {Kind::Application, "Application", 0},
    {Kind::Plugout, "Plugout", 0},
    {Kind::Model, "Model", kModelClass},
    {Kind::Package, "Package", kPackageClass},
    {Kind::Diagram, "Diagram", kDiagramClass},
    {Kind::Symbol, "Symbol", kSymbolClass},
    {Kind::Class, "Class", kClassClass},
    {Kind::Attribute, "Attribute", kAttributeClass},
    {Kind::Operation, "Operation", kOperationClass},
    {Kind::ObjectLanguage, "ObjectLanguage", kLanguageClass},
    {Kind::Workspace, "Workspace", kWorkspaceClass},
    {Kind::Document, "Document", kDocumentClass},
    {Kind::Collection, "Collection", 0},
    {Kind::ClientAdapter, "ClientAdapter", 0},
    {Kind::EventSinkAdapter, "EventSinkAdapter", 0},
    {Kind::LayoutManagerAdapter, "LayoutManagerAdapter", 0},
    {Kind::InnerLink, "InnerLink", 0},
};

} // namespace

std::string_view KindName(Kind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind)
            return k.name;
    return "?";
}

std::optional<Kind> KindFromName(std::string_view name) {
    for (const auto& k : kKinds)
        if (k.name == name)
            return k.kind;
    return std::nullopt;
}

std::int32_t ClassNumber(Kind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind)
            return k.number;
    return 0;
}

Node::Node(Tool& tool, Kind kind) : tool_(tool), kind_(kind) {
    ++g_live;
}

Node::~Node() {
    --g_live;
}

long Node::Live() {
    return g_live.load();
}

Value Node::Field(std::u16string_view name) const {
    for (const auto& [key, value] : props_)
        if (kf::model::EqualsNoCase(key, name))
            return value;
    return {};
}

void Node::SetField(std::u16string_view name, Value value) {
    for (auto& [key, v] : props_)
        if (kf::model::EqualsNoCase(key, name)) {
            v = std::move(value);
            return;
        }
    props_.emplace_back(std::u16string(name), std::move(value));
}

std::u16string Node::Ext(std::u16string_view name) const {
    for (const auto& [key, value] : ext_)
        if (kf::model::EqualsNoCase(key, name))
            return value;
    return {};
}

void Node::SetExt(std::u16string_view name, std::u16string value) {
    for (auto& [key, v] : ext_)
        if (kf::model::EqualsNoCase(key, name)) {
            v = std::move(value);
            return;
        }
    ext_.emplace_back(std::u16string(name), std::move(value));
}

NodeRef Node::Package() const {
    if (kind_ == Kind::Symbol) {
        auto object = target.lock();
        return object ? object->Package() : nullptr;
    }
    if (kind_ == Kind::Package)
        return std::const_pointer_cast<Node>(shared_from_this());
    auto up = parent.lock();
    return up ? up->Package() : nullptr;
}

NodeRef Node::Model() const {
    if (kind_ == Kind::Model)
        return std::const_pointer_cast<Node>(shared_from_this());
    if (kind_ == Kind::Symbol) {
        auto object = target.lock();
        return object ? object->Model() : nullptr;
    }
    auto up = parent.lock();
    return up ? up->Model() : nullptr;
}

std::u16string Node::Describe() const {
    auto name = std::string(KindName(kind_));
    std::u16string out(name.begin(), name.end());
    std::u16string label;
    if (kind_ == Kind::Symbol) {
        if (auto object = target.lock())
            label = object->Field(u"Code").AsString();
    } else if (kind_ == Kind::Model && !fileName.empty()) {
        label = fileName;
        auto slash = label.find_last_of(u"\\/");
        if (slash != std::u16string::npos)
            label.erase(0, slash + 1);
    } else if (kind_ == Kind::Collection && owner) {
        return owner->Describe() + u".list";
    } else {
        label = Field(u"Code").AsString();
        if (label.empty())
            label = Field(u"Name").AsString();
    }
    return label.empty() ? out : out + u"(" + label + u")";
}

NodeRef NewNode(Tool& tool, Kind kind) {
    return std::make_shared<Node>(tool, kind);
}

NodeRef NewCollection(const NodeRef& owner, NodeList Node::*list) {
    auto c = NewNode(owner->tool(), Kind::Collection);
    c->owner = owner;
    c->list = list;
    return c;
}

NodeRef AsNode(const Value& value) {
    return std::dynamic_pointer_cast<Node>(value.AsObject());
}

} // namespace kf::draftora
