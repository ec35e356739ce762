#include "kf/draftora/tool.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "kf/draftora/modelfile.h"
#include "kf/model/names.h"
#include "kf/rt/utf16.h"

namespace kf::draftora {

std::string ReadTextFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error(file.string() + ": cannot be read");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path PathFrom(std::u16string_view text) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
    return std::filesystem::path(kf::rt::Utf16ToUtf8(text));
#endif
}

Tool::Tool() {
    plugout_ = NewNode(*this, Kind::Plugout);
    application_ = NewNode(*this, Kind::Application);
    clientAdapter = NewNode(*this, Kind::ClientAdapter);
    eventSinkAdapter = NewNode(*this, Kind::EventSinkAdapter);
    layoutAdapter = NewNode(*this, Kind::LayoutManagerAdapter);
    workspace = NewNode(*this, Kind::Workspace);
    if (auto f = EnvVar("KF_DRAFTORA_FIXTURE"); !f.empty()) {
        try {
            LoadFixture(f);
        } catch (const std::exception& e) {
            fixtureError_ = e.what();
            journal_.Note(std::string("fixture error: ") + e.what());
        }
    }
}

Tool::~Tool() {
    // Sinks may hold objects of the tool; break the cycles before the nodes go.
    eventSinkAdapter->SetField(u"WorkspaceEventSink", Value());
    layoutAdapter->SetField(u"LayoutManager", Value());
    application_->models.clear();
    application_->selection.clear();
    workspace->documents.clear();
}

void Tool::LoadFixture(const std::filesystem::path& file) {
    fixtureFile_ = file;
    std::string text = ReadTextFile(file);
    fixtureText_ = text;
    Fixture fx = ParseFixture(text, file.string());
    fixtureError_.clear();
    fixture_ = Fixture{};
    fixture_.version = fx.version;
    fixture_.journal = fx.journal;
    fixture_.failures = fx.failures;
    fixture_.unknowns = fx.unknowns;
    for (const auto& step : fx.steps)
        ApplyStep(step, file.string());
    fixture_.steps = std::move(fx.steps);
}

void Tool::ApplyFixture(Fixture fixture) {
    auto steps = std::move(fixture.steps);
    fixture_ = std::move(fixture);
    for (const auto& step : steps)
        ApplyStep(step, "fixture");
}

void Tool::RefreshFixture() {
    if (fixtureFile_.empty())
        return;
    // By content: scenarios rewrite the file faster than file times change.
    std::string text;
    try {
        text = ReadTextFile(fixtureFile_);
    } catch (const std::exception&) {
        return;
    }
    if (text == fixtureText_)
        return;
    try {
        LoadFixture(fixtureFile_);
    } catch (const std::exception& e) {
        fixtureError_ = e.what();
        journal_.Note(std::string("fixture error: ") + e.what());
    }
}

void Tool::ApplyStep(const Fixture::Step& step, const std::string& file) {
    auto fail = [&](const std::string& m) { throw FileError(file, step.line, m); };
    const auto& a = step.args;
    NodeRef model;
    try {
        model = OpenModel(a[0]);
    } catch (const std::exception& e) {
        fail(e.what());
    }
    auto package = [&](const std::u16string& code) -> NodeRef {
        for (const auto& p : model->packages)
            if (kf::model::EqualsNoCase(p->Field(u"Code").AsString(), code))
                return p;
        fail("no package " + kf::rt::Utf16ToUtf8(code));
        return nullptr;
    };
    if (step.verb == "open") {
        return;
    } else if (step.verb == "active-model") {
        activeModel_ = model;
    } else if (step.verb == "active-diagram") {
        activeModel_ = model;
        activeDiagram_ = a.size() > 1 ? package(a[1])->diagram : model->diagram;
    } else if (step.verb == "select") {
        auto p = package(a[1]);
        auto& sel = application_->selection;
        sel.clear();
        if (a.size() == 2)
            sel.push_back(p);
        for (std::size_t i = 2; i < a.size(); ++i) {
            NodeRef found;
            for (const auto& c : p->classes)
                if (kf::model::EqualsNoCase(c->Field(u"Code").AsString(), a[i]))
                    found = c;
            if (!found)
                fail("no class " + kf::rt::Utf16ToUtf8(a[i]));
            sel.push_back(found);
        }
    } else if (step.verb == "ext") {
        if (a.size() == 4)
            package(a[1])->SetExt(a[2], a[3]);
        else
            model->SetExt(a[1], a[2]);
    }
}

NodeRef Tool::FindModel(std::u16string_view file) const {
    for (const auto& m : application_->models)
        if (kf::model::EqualsNoCase(m->fileName, file))
            return m;
    return nullptr;
}

NodeRef Tool::OpenModel(std::u16string_view file) {
    if (auto m = FindModel(file))
        return m;
    auto path = PathFrom(file);
    auto model = ReadModel(*this, ReadTextFile(path), path.string());
    model->fileName = file;
    application_->models.push_back(model);
    auto doc = NewNode(*this, Kind::Document);
    doc->target = model;
    workspace->documents.push_back(doc);
    activeModel_ = model;
    CallSink(u"WorkspaceEventSink", u"OnOpenModel", {Value(ObjectRef(model))});
    return model;
}

NodeRef Tool::CreateModel(std::u16string_view options) {
    auto model = NewNode(*this, Kind::Model);
    auto n = std::to_string(++untitled_);
    std::u16string number(n.begin(), n.end());
    model->SetField(u"Name", Value(u"ObjectOrientedModel_" + number));
    model->SetField(u"Code", Value(u"OBJECTORIENTEDMODEL_" + number));
    // Options: |Key=Value|Key=Value
    std::u16string language = u"Analysis";
    std::size_t pos = 0;
    while (pos < options.size()) {
        auto bar = options.find(u'|', pos);
        auto item =
            options.substr(pos, bar == std::u16string_view::npos ? options.npos : bar - pos);
        pos = bar == std::u16string_view::npos ? options.size() : bar + 1;
        auto eq = item.find(u'=');
        if (eq != std::u16string_view::npos &&
            kf::model::EqualsNoCase(item.substr(0, eq), u"Language"))
            language = item.substr(eq + 1);
    }
    model->language = NewNode(*this, Kind::ObjectLanguage);
    model->language->parent = model;
    model->language->SetField(u"Name", Value(language));
    model->diagram = NewNode(*this, Kind::Diagram);
    model->diagram->parent = model;
    model->diagram->SetField(u"Name", Value(u"ClassDiagram_1"));
    application_->models.push_back(model);
    auto doc = NewNode(*this, Kind::Document);
    doc->target = model;
    workspace->documents.push_back(doc);
    activeModel_ = model;
    return model;
}

void Tool::SaveModel(const NodeRef& model, std::u16string_view file) {
    std::u16string name(file.empty() ? std::u16string_view(model->fileName) : file);
    if (name.empty())
        throw std::runtime_error("The model has no file name");
    auto path = PathFrom(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string text = WriteModel(*model);
    out << text;
    out.close();
    if (!out)
        throw std::runtime_error(path.string() + ": cannot be written");
    model->fileName = name;
}

void Tool::CloseModel(const NodeRef& model) {
    auto self = model; // callers may hold the only other reference in a list
    auto& models = application_->models;
    models.erase(std::remove(models.begin(), models.end(), model), models.end());
    auto& docs = workspace->documents;
    docs.erase(std::remove_if(docs.begin(), docs.end(),
                              [&](const NodeRef& d) { return d->target.lock() == model; }),
               docs.end());
    auto& sel = application_->selection;
    sel.erase(std::remove_if(sel.begin(), sel.end(),
                             [&](const NodeRef& o) { return o->Model() == model; }),
              sel.end());
    if (activeModel_.lock() == model)
        activeModel_.reset();
    if (auto d = activeDiagram_.lock(); d && d->Model() == model)
        activeDiagram_.reset();
    CallSink(u"WorkspaceEventSink", u"OnCloseModel", {Value(ObjectRef(model))});
}

NodeRef Tool::ActiveModel() const {
    if (auto m = activeModel_.lock())
        return m;
    return application_->models.empty() ? nullptr : application_->models.back();
}

NodeRef Tool::ActiveDiagram() const {
    return activeDiagram_.lock();
}

void Tool::SetActiveDiagram(const NodeRef& diagram) {
    activeDiagram_ = diagram;
    if (auto m = diagram ? diagram->Model() : nullptr)
        activeModel_ = m;
}

void Tool::CallSink(std::u16string_view sinkProperty, std::u16string_view member,
                    std::initializer_list<Value> args) {
    NodeRef adapter =
        kf::model::EqualsNoCase(sinkProperty, u"LayoutManager") ? layoutAdapter : eventSinkAdapter;
    ObjectRef sink = adapter->Field(sinkProperty).AsObject();
    if (!sink)
        return;
    std::span<const Value> a(args.begin(), args.size());
    InvokeResult r;
    try {
        r = sink->Invoke(member, InvokeKind::Call, a);
    } catch (const std::exception& e) {
        r = InvokeResult::Fail(kf::rt::Utf8ToUtf16(e.what()).value_or(u""));
    }
    if (fixture_.journal)
        journal_.Record(u"callback " + std::u16string(sinkProperty), member, InvokeKind::Call, a,
                        r);
}

} // namespace kf::draftora
