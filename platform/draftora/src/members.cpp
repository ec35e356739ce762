// The member table of each kind. Get and Call reach the same entry (late-bound callers use
// either for properties with arguments); Put reaches data members only.
#include <algorithm>
#include <map>

#include "kf/draftora/modelfile.h"
#include "kf/draftora/tool.h"
#include "kf/model/names.h"
#include "kf/rt/utf16.h"

namespace kf::draftora {
namespace {

using Args = std::span<const Value>;
using Fn = InvokeResult (*)(Node&, InvokeKind, Args);

struct Entry {
    std::u16string name;
    Fn fn = nullptr; // null: a data member kept in the node's properties
};

using Table = std::map<std::u16string, Entry>;

Value Arg(Args args, std::size_t i) {
    return i < args.size() ? args[i] : Value();
}

InvokeResult Ok(Value v = {}) {
    return InvokeResult::Ok(std::move(v));
}

Value Obj(const NodeRef& n) {
    return Value(ObjectRef(n));
}

InvokeResult ClassKind(Node& n, InvokeKind, Args) {
    return Ok(Value(ClassNumber(n.kind())));
}
InvokeResult IsKindOf(Node& n, InvokeKind, Args a) {
    return Ok(Value(ClassNumber(n.kind()) != 0 && Arg(a, 0).AsInt() == ClassNumber(n.kind())));
}
InvokeResult GetExt(Node& n, InvokeKind, Args a) {
    return Ok(Value(n.Ext(Arg(a, 0).AsString())));
}
InvokeResult SetExt(Node& n, InvokeKind, Args a) {
    n.SetExt(Arg(a, 0).AsString(), Arg(a, 1).AsString());
    return Ok(Value(true));
}
InvokeResult ModelOf(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.Model()));
}
InvokeResult DefaultDiagram(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.diagram));
}

std::u16string Location(const Node& n) {
    if (n.kind() == Kind::Symbol) {
        auto object = n.target.lock();
        return object ? Location(*object) : u"";
    }
    auto owner = n.parent.lock();
    if (!owner || owner->kind() == Kind::Model)
        return u"<Model>";
    return Location(*owner) + u"::" + owner->Field(u"Name").AsString();
}
InvokeResult ObjectLocation(Node& n, InvokeKind, Args) {
    return Ok(Value(Location(n)));
}

// --- plug-out, application and adapters
InvokeResult Version(Node& n, InvokeKind, Args) {
    const auto& v = n.tool().fixture().version;
    return Ok(Value(std::u16string(v ? *v : kDefaultVersion)));
}
InvokeResult ApplicationOf(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.tool().Application()));
}
InvokeResult Connect(Node& n, InvokeKind, Args a) {
    n.SetField(u"Connected", Value(!Arg(a, 0).IsEmpty()));
    return Ok();
}
InvokeResult Disconnect(Node& n, InvokeKind, Args) {
    n.SetField(u"Connected", Value(false));
    return Ok();
}
InvokeResult ActiveModel(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.tool().ActiveModel()));
}
InvokeResult ActiveDiagram(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.tool().ActiveDiagram()));
}
InvokeResult ActiveSelection(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::selection)));
}
InvokeResult ActiveWorkspace(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.tool().workspace));
}
InvokeResult Models(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::models)));
}
InvokeResult OpenModel(Node& n, InvokeKind, Args a) {
    try {
        return Ok(Obj(n.tool().OpenModel(Arg(a, 0).AsString())));
    } catch (const std::exception& e) {
        return InvokeResult::Fail(kf::rt::Utf8ToUtf16(e.what()).value_or(u"Cannot open model"));
    }
}
InvokeResult CreateModel(Node& n, InvokeKind, Args a) {
    if (Arg(a, 0).AsInt() != kModelClass)
        return InvokeResult::Fail(u"This kind of model is not supported");
    return Ok(Obj(n.tool().CreateModel(Arg(a, 1).AsString())));
}
InvokeResult RegistryHome(Node&, InvokeKind, Args) {
    return Ok(Value(u"SOFTWARE\\Draftora\\10"));
}
InvokeResult ClientAdapter(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.tool().clientAdapter));
}
InvokeResult EventSinkAdapter(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.tool().eventSinkAdapter));
}
InvokeResult LayoutAdapter(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.tool().layoutAdapter));
}
InvokeResult DoCommand(Node& n, InvokeKind, Args a) {
    n.SetField(u"LastCommand", Arg(a, 0));
    return Ok(Value(true));
}

// --- model, package, diagram, symbol, class
InvokeResult Filename(Node& n, InvokeKind kind, Args a) {
    if (kind == InvokeKind::Put)
        n.fileName = Arg(a, 0).AsString();
    return Ok(Value(n.fileName));
}
InvokeResult ObjectLanguage(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.language));
}
InvokeResult Packages(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::packages)));
}
InvokeResult Save(Node& n, InvokeKind, Args a) {
    try {
        n.tool().SaveModel(n.shared_from_this(), Arg(a, 0).AsString());
        return Ok(Value(true));
    } catch (const std::exception& e) {
        return InvokeResult::Fail(kf::rt::Utf8ToUtf16(e.what()).value_or(u"Cannot save model"));
    }
}
InvokeResult Classes(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::classes)));
}
InvokeResult GetCollection(Node& n, InvokeKind, Args a) {
    auto name = Arg(a, 0).AsString();
    if (kf::model::EqualsNoCase(name, u"Classes"))
        return Ok(Obj(NewCollection(n.shared_from_this(), &Node::classes)));
    if (kf::model::EqualsNoCase(name, u"Packages") && n.kind() != Kind::Class)
        return Ok(Obj(NewCollection(n.shared_from_this(), &Node::packages)));
    return Ok(Obj(nullptr));
}

std::u16string Numbered(Tool& tool, std::u16string_view base) {
    auto s = std::to_string(++tool.serial);
    return std::u16string(base) + std::u16string(s.begin(), s.end());
}

NodeRef NewDiagram(Node& owner) {
    auto d = NewNode(owner.tool(), Kind::Diagram);
    d->parent = owner.shared_from_this();
    d->SetField(u"Name", Value(u"ClassDiagram_1"));
    return d;
}

InvokeResult CreateObject(Node& n, InvokeKind, Args a) {
    auto number = Arg(a, 0).AsInt();
    NodeRef o;
    if (n.kind() == Kind::Package && number == kClassClass) {
        o = NewNode(n.tool(), Kind::Class);
        o->SetField(u"Name", Value(Numbered(n.tool(), u"Class_")));
        o->SetField(u"Code", o->Field(u"Name"));
        o->SetField(u"Generated", Value(true));
        n.classes.push_back(o);
    } else if (n.kind() == Kind::Class && number == kAttributeClass) {
        o = NewNode(n.tool(), Kind::Attribute);
        o->SetField(u"Name", Value(Numbered(n.tool(), u"Attribute_")));
        n.attributes.push_back(o);
    } else if (n.kind() == Kind::Class && number == kOperationClass) {
        o = NewNode(n.tool(), Kind::Operation);
        o->SetField(u"Name", Value(Numbered(n.tool(), u"Operation_")));
        n.operations.push_back(o);
    } else {
        return InvokeResult::Fail(u"Cannot create an object of this kind here");
    }
    o->parent = n.shared_from_this();
    return Ok(Obj(o));
}

InvokeResult Symbols(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::symbols)));
}
InvokeResult OpenView(Node& n, InvokeKind, Args) {
    n.tool().SetActiveDiagram(n.shared_from_this());
    return Ok();
}
InvokeResult ConvertToPackage(Node& n, InvokeKind, Args) {
    auto model = n.Model();
    if (!model)
        return InvokeResult::Fail(u"The diagram belongs to no model");
    auto p = NewNode(n.tool(), Kind::Package);
    p->parent = model;
    p->SetField(u"Name", Value(Numbered(n.tool(), u"Package_")));
    p->SetField(u"Code", p->Field(u"Name"));
    p->diagram = NewDiagram(*p);
    model->packages.push_back(p);
    return Ok(Obj(p));
}
InvokeResult AttachObject(Node& n, InvokeKind, Args a) {
    auto object = AsNode(Arg(a, 0));
    if (!object || (object->kind() != Kind::Class && object->kind() != Kind::Package))
        return InvokeResult::Fail(u"Only classes and packages can be shown in a class diagram");
    for (const auto& s : n.symbols)
        if (s->target.lock() == object)
            return Ok(Obj(s));
    auto s = NewNode(n.tool(), Kind::Symbol);
    s->parent = n.shared_from_this();
    s->target = object;
    n.symbols.push_back(s);
    return Ok(Obj(s));
}
InvokeResult CenterAndScaleView(Node& n, InvokeKind, Args a) {
    auto symbol = AsNode(Arg(a, 0));
    if (!symbol || symbol->parent.lock().get() != &n)
        return InvokeResult::Fail(u"The symbol is not in this diagram");
    n.tool().SetActiveDiagram(n.shared_from_this());
    auto& selection = n.tool().Application()->selection;
    selection.clear();
    if (auto object = symbol->target.lock())
        selection.push_back(object);
    return Ok();
}
InvokeResult SymbolObject(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.target.lock()));
}
InvokeResult SymbolProp(Node& n, std::u16string_view name) {
    auto object = n.target.lock();
    return Ok(object ? object->Field(name) : Value());
}
InvokeResult SymbolCode(Node& n, InvokeKind, Args) {
    return SymbolProp(n, u"Code");
}
InvokeResult SymbolName(Node& n, InvokeKind, Args) {
    return SymbolProp(n, u"Name");
}
InvokeResult GetPackage(Node& n, InvokeKind, Args) {
    return Ok(Obj(n.Package()));
}
InvokeResult Attributes(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::attributes)));
}
InvokeResult Operations(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::operations)));
}
InvokeResult InnerLinks(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::innerLinks)));
}
// Templates come with generation; until then a class's definition is its extended
// attribute "definition" (settable in model files).
InvokeResult EvaluateTemplate(Node& n, InvokeKind, Args a) {
    auto object = AsNode(Arg(a, 1));
    return Ok(Value((object ? *object : n).Ext(Arg(a, 0).AsString())));
}

// --- workspace and collections
InvokeResult Children(Node& n, InvokeKind, Args) {
    return Ok(Obj(NewCollection(n.shared_from_this(), &Node::documents)));
}
InvokeResult AddDocument(Node& n, InvokeKind, Args a) {
    try {
        auto model = n.tool().OpenModel(Arg(a, 0).AsString());
        auto& docs = n.documents;
        auto it = std::find_if(docs.begin(), docs.end(),
                               [&](const NodeRef& d) { return d->target.lock() == model; });
        NodeRef doc = *it; // OpenModel added it
        docs.erase(it);
        auto pos = static_cast<std::size_t>(std::max(0, Arg(a, 1).AsInt()));
        docs.insert(docs.begin() + static_cast<std::ptrdiff_t>(std::min(pos, docs.size())), doc);
        return Ok(Obj(doc));
    } catch (const std::exception& e) {
        return InvokeResult::Fail(kf::rt::Utf8ToUtf16(e.what()).value_or(u"Cannot open model"));
    }
}
InvokeResult WorkspaceClose(Node& n, InvokeKind, Args) {
    auto docs = n.documents;
    for (const auto& d : docs)
        if (auto model = d->target.lock())
            n.tool().CloseModel(model);
    n.documents.clear();
    return Ok();
}
InvokeResult DocumentFilename(Node& n, InvokeKind, Args) {
    auto model = n.target.lock();
    return Ok(Value(model ? model->fileName : u""));
}
InvokeResult DocumentClose(Node& n, InvokeKind, Args) {
    if (auto model = n.target.lock())
        n.tool().CloseModel(model);
    return Ok();
}
InvokeResult Count(Node& n, InvokeKind, Args) {
    return Ok(Value(static_cast<std::int32_t>(((*n.owner).*n.list).size())));
}
InvokeResult Item(Node& n, InvokeKind, Args a) {
    auto& items = (*n.owner).*n.list;
    auto i = Arg(a, 0).AsInt();
    if (i < 0 || static_cast<std::size_t>(i) >= items.size())
        return InvokeResult::Fail(u"Index out of range");
    return Ok(Obj(items[static_cast<std::size_t>(i)]));
}
void Unlink(const NodeRef& model, const NodeRef& object); // below
InvokeResult Remove(Node& n, InvokeKind, Args a) {
    auto object = AsNode(Arg(a, 0));
    auto& items = (*n.owner).*n.list;
    auto it = std::find(items.begin(), items.end(), object);
    if (!object || it == items.end())
        return Ok(Value(false));
    if (n.list == &Node::models || n.list == &Node::documents) {
        auto model = n.list == &Node::models ? object : object->target.lock();
        if (model)
            n.tool().CloseModel(model);
        items.erase(std::remove(items.begin(), items.end(), object), items.end());
        return Ok(Value(true));
    }
    items.erase(it);
    if (auto model = n.owner->Model())
        Unlink(model, object);
    return Ok(Value(true));
}

// Symbols of a removed object go with it.
void Unlink(const NodeRef& model, const NodeRef& object) {
    auto drop = [&](const NodeRef& diagram) {
        if (!diagram)
            return;
        auto& s = diagram->symbols;
        s.erase(std::remove_if(s.begin(), s.end(),
                               [&](const NodeRef& sym) {
                                   auto t = sym->target.lock();
                                   return !t || t == object;
                               }),
                s.end());
    };
    drop(model->diagram);
    for (const auto& p : model->packages)
        drop(p->diagram);
}

// --- the tables
void Add(Table& t, std::u16string name, Fn fn = nullptr) {
    auto key = kf::model::FoldCase(name);
    t[key] = Entry{std::move(name), fn};
}

void AddObjectMembers(Table& t) {
    Add(t, u"ClassKind", ClassKind);
    Add(t, u"IsKindOf", IsKindOf);
}

const Table& TableFor(Kind kind) {
    static const std::map<Kind, Table> tables = [] {
        std::map<Kind, Table> m;
        auto& plugout = m[Kind::Plugout];
        Add(plugout, u"Version", Version);
        Add(plugout, u"Application", ApplicationOf);
        Add(plugout, u"Connect", Connect);
        Add(plugout, u"Disconnect", Disconnect);

        auto& app = m[Kind::Application];
        for (auto [name, fn] : {std::pair<const char16_t*, Fn>{u"ActiveModel", ActiveModel},
                                {u"ActiveDiagram", ActiveDiagram},
                                {u"ActiveSelection", ActiveSelection},
                                {u"ActiveWorkspace", ActiveWorkspace},
                                {u"Models", Models},
                                {u"OpenModel", OpenModel},
                                {u"CreateModel", CreateModel},
                                {u"RegistryHome", RegistryHome},
                                {u"ExternalClientAdapter", ClientAdapter},
                                {u"DoCommand", DoCommand}})
            Add(app, name, fn);
        Add(app, u"Application", ApplicationOf);

        auto& client = m[Kind::ClientAdapter];
        Add(client, u"ExternalEventSinkAdapter", EventSinkAdapter);
        Add(client, u"ExternalLayoutManagerAdapter", LayoutAdapter);
        Add(m[Kind::EventSinkAdapter], u"WorkspaceEventSink");
        Add(m[Kind::LayoutManagerAdapter], u"LayoutManager");
        Add(m[Kind::LayoutManagerAdapter], u"DoCommand", DoCommand);

        auto& model = m[Kind::Model];
        AddObjectMembers(model);
        Add(model, u"Filename", Filename); // FileName is the same member
        Add(model, u"Name");
        Add(model, u"Code");
        Add(model, u"ObjectLanguage", ObjectLanguage);
        Add(model, u"Packages", Packages);
        Add(model, u"DefaultDiagram", DefaultDiagram);
        Add(model, u"GetExtendedAttribute", GetExt);
        Add(model, u"SetExtendedAttribute", SetExt);
        Add(model, u"Save", Save);
        Add(model, u"GetCollection", GetCollection);

        auto& package = m[Kind::Package];
        AddObjectMembers(package);
        Add(package, u"Name");
        Add(package, u"Code");
        Add(package, u"Model", ModelOf);
        Add(package, u"DefaultDiagram", DefaultDiagram);
        Add(package, u"GetExtendedAttribute", GetExt);
        Add(package, u"SetExtendedAttribute", SetExt);
        Add(package, u"GetCollection", GetCollection);
        Add(package, u"Classes", Classes);
        Add(package, u"CreateObject", CreateObject);
        Add(package, u"ObjectLocation", ObjectLocation);

        auto& diagram = m[Kind::Diagram];
        AddObjectMembers(diagram);
        Add(diagram, u"Name");
        Add(diagram, u"Symbols", Symbols);
        Add(diagram, u"ObjectLocation", ObjectLocation);
        Add(diagram, u"Model", ModelOf);
        Add(diagram, u"OpenView", OpenView);
        Add(diagram, u"ConvertToPackage", ConvertToPackage);
        Add(diagram, u"AttachObject", AttachObject);
        Add(diagram, u"CenterAndScaleView", CenterAndScaleView);

        auto& symbol = m[Kind::Symbol];
        AddObjectMembers(symbol);
        Add(symbol, u"Object", SymbolObject);
        Add(symbol, u"Code", SymbolCode);
        Add(symbol, u"Name", SymbolName);
        Add(symbol, u"ObjectLocation", ObjectLocation);
        Add(symbol, u"GetPackage", GetPackage);

        auto& cls = m[Kind::Class];
        AddObjectMembers(cls);
        for (auto name : {u"Stereotype", u"Code", u"Name", u"Generated", u"Header", u"Comment"})
            Add(cls, name); // StereoType is the same member
        Add(cls, u"Attributes", Attributes);
        Add(cls, u"Operations", Operations);
        Add(cls, u"ChildInnerLinks", InnerLinks);
        Add(cls, u"EvaluateTemplate", EvaluateTemplate);
        Add(cls, u"CreateObject", CreateObject);
        Add(cls, u"GetExtendedAttribute", GetExt);
        Add(cls, u"SetExtendedAttribute", SetExt);
        Add(cls, u"ObjectLocation", ObjectLocation);
        Add(cls, u"Model", ModelOf);
        Add(cls, u"GetPackage", GetPackage);

        auto& attribute = m[Kind::Attribute];
        AddObjectMembers(attribute);
        for (auto name : {u"Name", u"Code", u"DataType", u"Stereotype", u"InitialValue"})
            Add(attribute, name);
        auto& operation = m[Kind::Operation];
        AddObjectMembers(operation);
        for (auto name : {u"Name", u"Code", u"ReturnType"})
            Add(operation, name);
        Add(m[Kind::InnerLink], u"Name");
        Add(m[Kind::ObjectLanguage], u"Name");

        auto& workspace = m[Kind::Workspace];
        AddObjectMembers(workspace);
        Add(workspace, u"Children", Children);
        Add(workspace, u"AddDocument", AddDocument);
        Add(workspace, u"Close", WorkspaceClose);
        auto& document = m[Kind::Document];
        AddObjectMembers(document);
        Add(document, u"filename", DocumentFilename);
        Add(document, u"Close", DocumentClose);

        auto& collection = m[Kind::Collection];
        Add(collection, u"Count", Count);
        Add(collection, u"Item", Item);
        Add(collection, u"Remove", Remove);
        return m;
    }();
    static const Table none;
    auto it = tables.find(kind);
    return it == tables.end() ? none : it->second;
}

const Entry* Find(Kind kind, std::u16string_view member) {
    const auto& t = TableFor(kind);
    auto it = t.find(kf::model::FoldCase(member));
    return it == t.end() ? nullptr : &it->second;
}

} // namespace

bool Node::HasMember(std::u16string_view member) {
    tool_.RefreshFixture();
    if (tool_.fixture().IsUnknown(KindName(kind_), member))
        return false;
    return Find(kind_, member) != nullptr;
}

InvokeResult Node::Invoke(std::u16string_view member, InvokeKind kind, Args args) {
    tool_.RefreshFixture();
    // Keep this node alive through the call, whatever the call removes.
    auto self = shared_from_this();
    InvokeResult r;
    const Entry* entry = Find(kind_, member);
    const auto* failure = tool_.fixture().FailureFor(KindName(kind_), member);
    if (!entry || tool_.fixture().IsUnknown(KindName(kind_), member)) {
        r = InvokeResult::Unknown();
    } else if (failure) {
        r = InvokeResult::Fail(failure->description);
    } else if (!entry->fn) {
        if (kind == InvokeKind::Put)
            SetField(entry->name, Arg(args, 0));
        r = Ok(kind == InvokeKind::Put ? Value() : Field(entry->name));
    } else if (kind == InvokeKind::Put && entry->fn != Filename) {
        r = InvokeResult::Fail(u"The property is read-only");
    } else {
        r = entry->fn(*this, kind, args);
    }
    if (tool_.fixture().journal)
        tool_.journal().Record(Describe(), member, kind, args, r);
    return r;
}

} // namespace kf::draftora
