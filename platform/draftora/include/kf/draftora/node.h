// The modelling tool's objects: one node type for every kind, with the structure each kind
// uses, data members kept by name and one member table per kind (see members.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kf/model/automation.h"

namespace kf::draftora {

using kf::model::AutoObject;
using kf::model::InvokeKind;
using kf::model::InvokeResult;
using kf::model::ObjectRef;
using kf::model::Value;

enum class Kind {
    Application,
    Plugout,
    Model,
    Package,
    Diagram,
    Symbol,
    Class,
    Attribute,
    Operation,
    ObjectLanguage,
    Workspace,
    Document,
    Collection,
    ClientAdapter,
    EventSinkAdapter,
    LayoutManagerAdapter,
    InnerLink,
};

std::string_view KindName(Kind kind);
std::optional<Kind> KindFromName(std::string_view name);
// The class number IsKindOf and ClassKind answer; 0 for kinds without one.
std::int32_t ClassNumber(Kind kind);

inline constexpr std::int32_t kModelClass = 0x18112060;
inline constexpr std::int32_t kPackageClass = 0x18112061;
inline constexpr std::int32_t kDiagramClass = 0x18112062;
inline constexpr std::int32_t kClassClass = 0x18112063;
inline constexpr std::int32_t kSymbolClass = 0x18112064;
inline constexpr std::int32_t kAttributeClass = 0x18112065;
inline constexpr std::int32_t kOperationClass = 0x18112066;
inline constexpr std::int32_t kLanguageClass = 0x18112067;
inline constexpr std::int32_t kWorkspaceClass = 0x18112068;
inline constexpr std::int32_t kDocumentClass = 0x18112069;

class Tool;
class Node;
using NodeRef = std::shared_ptr<Node>;
using NodeList = std::vector<NodeRef>;

class Node final : public AutoObject, public std::enable_shared_from_this<Node> {
public:
    Node(Tool& tool, Kind kind);
    ~Node() override;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    Kind kind() const { return kind_; }
    Tool& tool() const { return tool_; }

    // Data members (Name, Code, Stereotype, ...), by name ignoring case, in the order set.
    Value Field(std::u16string_view name) const;
    void SetField(std::u16string_view name, Value value);
    const std::vector<std::pair<std::u16string, Value>>& Fields() const { return props_; }

    // Extended attributes, in the order set.
    std::u16string Ext(std::u16string_view name) const;
    void SetExt(std::u16string_view name, std::u16string value);
    const std::vector<std::pair<std::u16string, std::u16string>>& Exts() const { return ext_; }

    // Structure; which fields a kind uses is up to that kind.
    std::weak_ptr<Node> parent; // package or class: its owner; model: none
    std::weak_ptr<Node> target; // symbol: its object; document: its model
    NodeRef diagram;            // model, package: the default diagram
    NodeRef language;           // model: its object language
    NodeList packages, classes, attributes, operations, innerLinks, symbols;
    NodeList models, documents, selection; // application and workspace
    // Collection: its owner and which list of it.
    NodeRef owner;
    NodeList Node::*list = nullptr;
    std::u16string fileName; // model

    // The package a symbol's object or an object lives in (itself for a package).
    NodeRef Package() const;
    // The model an object lives in.
    NodeRef Model() const;
    // "Kind(name)" for the journal.
    std::u16string Describe() const;

    InvokeResult Invoke(std::u16string_view member, InvokeKind kind,
                        std::span<const Value> args) override;
    bool HasMember(std::u16string_view member) override;

    // Nodes alive, for tests that look for growth.
    static long Live();

private:
    Tool& tool_;
    Kind kind_;
    std::vector<std::pair<std::u16string, Value>> props_;
    std::vector<std::pair<std::u16string, std::u16string>> ext_;
};

NodeRef NewNode(Tool& tool, Kind kind);
NodeRef NewCollection(const NodeRef& owner, NodeList Node::*list);
// The node behind an automation object, or null.
NodeRef AsNode(const Value& value);

} // namespace kf::draftora
