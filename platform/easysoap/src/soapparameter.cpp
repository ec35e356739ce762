#include "kf/easysoap/soapparameter.h"

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/soapresponse.h"

namespace kf::easysoap {

SOAPParameter::SOAPParameter(std::string_view name, std::string_view ns) {
    if (!name.empty() || !ns.empty())
        SetBlock(new NameBlock{SOAPQName(name, ns)});
}

SOAPParameter::SOAPParameter(const SOAPParameter& other)
    : name_(other.name_), text_(other.text_) {
    if (const NameBlock* b = Block())
        b->refs.fetch_add(1, std::memory_order_relaxed);
    if (other.attributes_)
        attributes_ = std::make_unique<Attributes>(*other.attributes_);
    if (other.children_) {
        children_ = std::make_unique<Array>();
        children_->reserve(other.children_->size());
        for (const auto& child : *other.children_)
            children_->push_back(std::make_unique<SOAPParameter>(*child));
    }
}

SOAPParameter::SOAPParameter(SOAPParameter&& other) noexcept
    : name_(std::exchange(other.name_, 0)), text_(std::move(other.text_)),
      attributes_(std::move(other.attributes_)), children_(std::move(other.children_)) {}

SOAPParameter& SOAPParameter::operator=(SOAPParameter&& other) noexcept {
    if (this != &other) {
        Release();
        name_ = std::exchange(other.name_, 0);
        text_ = std::move(other.text_);
        attributes_ = std::move(other.attributes_);
        children_ = std::move(other.children_);
    }
    return *this;
}

SOAPParameter& SOAPParameter::operator=(const SOAPParameter& other) {
    if (this != &other) {
        SOAPParameter copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void SOAPParameter::Release() {
    const NameBlock* b = Block();
    if (b && b->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete b;
    name_ &= kFlagBits;
}

const SOAPQName& SOAPParameter::EmptyName() {
    static const SOAPQName empty;
    return empty;
}

const SOAPParameter::Array& SOAPParameter::EmptyArray() {
    static const Array empty;
    return empty;
}

const SOAPParameter::Attributes& SOAPParameter::EmptyAttributes() {
    static const Attributes empty;
    return empty;
}

void SOAPParameter::SetName(std::string_view name, std::string_view ns) {
    const SOAPQName& now = GetName();
    if (now.name == name && now.ns == ns)
        return;
    const NameBlock* block =
        name.empty() && ns.empty() ? nullptr : new NameBlock{SOAPQName(name, ns)};
    Release();
    SetBlock(block);
}

void SOAPParameter::ShareName(const SOAPParameter& other) {
    const NameBlock* block = other.Block();
    if (block == Block())
        return;
    if (block)
        block->refs.fetch_add(1, std::memory_order_relaxed);
    Release();
    SetBlock(block);
}

SOAPParameter::Array& SOAPParameter::GetArray() {
    if (!children_)
        children_ = std::make_unique<Array>();
    return *children_;
}

SOAPParameter& SOAPParameter::AddParameter(std::string_view name) {
    Array& children = GetArray();
    // Items of an array repeat one name: they share it.
    if (!children.empty()) {
        const SOAPParameter& last = *children.back();
        if (last.GetName().name == name && last.GetName().ns.empty()) {
            children.push_back(std::make_unique<SOAPParameter>());
            children.back()->ShareName(last);
            return *children.back();
        }
    }
    children.push_back(std::make_unique<SOAPParameter>(name));
    return *children.back();
}

const SOAPParameter* SOAPParameter::FindParameter(std::string_view name) const {
    for (const auto& child : GetArray()) {
        if (child->GetName().name == name)
            return child.get();
    }
    return nullptr;
}

const SOAPParameter& SOAPParameter::GetParameter(std::string_view name) const {
    if (const SOAPParameter* p = FindParameter(name))
        return *p;
    throw SOAPException("Could not find element by name: " + std::string(name));
}

SOAPParameter& SOAPParameter::GetParameter(std::string_view name) {
    return const_cast<SOAPParameter&>(std::as_const(*this).GetParameter(name));
}

void SOAPParameter::SetNull(bool null) {
    name_ = null ? name_ | kNullBit : name_ & ~kNullBit;
    if (null) {
        text_.clear();
        children_.reset();
    }
}

void SOAPParameter::ClearValue() {
    text_.clear();
    name_ &= ~kFlagBits;
    attributes_.reset();
    children_.reset();
}

SOAPQName& SOAPParameter::AddAttribute(const SOAPQName& name) {
    if (!attributes_)
        attributes_ = std::make_unique<Attributes>();
    for (auto& [n, v] : *attributes_) {
        if (n == name)
            return v;
    }
    attributes_->emplace_back(name, SOAPQName());
    return attributes_->back().second;
}

const SOAPQName* SOAPParameter::GetAttribute(const SOAPQName& name) const {
    for (const auto& [n, v] : GetAttributes()) {
        if (n == name)
            return &v;
    }
    return nullptr;
}

bool SOAPParameter::RemoveAttribute(const SOAPQName& name) {
    if (!attributes_)
        return false;
    for (auto it = attributes_->begin(); it != attributes_->end(); ++it) {
        if (it->first == name) {
            attributes_->erase(it);
            if (attributes_->empty())
                attributes_.reset();
            return true;
        }
    }
    return false;
}

void SOAPParameter::SetValue(std::string_view text) {
    // A new string is as long as the text; assigning could keep twice the room.
    if (text.size() > text_.capacity())
        text_ = std::string(text);
    else
        text_ = text;
    name_ &= ~kNullBit;
}

const SOAPParameter& SOAPResponse::GetReturnValue() const {
    if (method_.GetArray().empty())
        throw SOAPException("The response holds no return value");
    return *method_.GetArray().front();
}

std::string FormatFaultMessage(const std::string& code, const std::string& string,
                               const std::string& detail) {
    return "<kfsp_fcode>" + code + "</kfsp_fcode><kfsp_fstring>" + string +
           "</kfsp_fstring><kfsp_fdetailmessage>" + detail + "</kfsp_fdetailmessage>";
}

} // namespace kf::easysoap
