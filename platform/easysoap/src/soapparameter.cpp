#include "kf/easysoap/soapparameter.h"

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/soapresponse.h"

namespace kf::easysoap {

SOAPParameter::SOAPParameter(const SOAPParameter& other)
    : name_(other.name_), text_(other.text_), null_(other.null_), struct_(other.struct_),
      attributes_(other.attributes_) {
    children_.reserve(other.children_.size());
    for (const auto& child : other.children_) {
        children_.push_back(std::make_unique<SOAPParameter>(*child));
    }
}

SOAPParameter& SOAPParameter::operator=(const SOAPParameter& other) {
    if (this != &other) {
        SOAPParameter copy(other);
        *this = std::move(copy);
    }
    return *this;
}

SOAPParameter& SOAPParameter::AddParameter(std::string_view name) {
    children_.push_back(std::make_unique<SOAPParameter>(name));
    return *children_.back();
}

const SOAPParameter* SOAPParameter::FindParameter(std::string_view name) const {
    for (const auto& child : children_) {
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
    null_ = null;
    if (null) {
        text_.clear();
        children_.clear();
    }
}

void SOAPParameter::ClearValue() {
    text_.clear();
    null_ = false;
    struct_ = false;
    attributes_.clear();
    children_.clear();
}

SOAPQName& SOAPParameter::AddAttribute(const SOAPQName& name) {
    for (auto& [n, v] : attributes_) {
        if (n == name)
            return v;
    }
    attributes_.emplace_back(name, SOAPQName());
    return attributes_.back().second;
}

const SOAPQName* SOAPParameter::GetAttribute(const SOAPQName& name) const {
    for (const auto& [n, v] : attributes_) {
        if (n == name)
            return &v;
    }
    return nullptr;
}

bool SOAPParameter::RemoveAttribute(const SOAPQName& name) {
    for (auto it = attributes_.begin(); it != attributes_.end(); ++it) {
        if (it->first == name) {
            attributes_.erase(it);
            return true;
        }
    }
    return false;
}

void SOAPParameter::SetValue(std::string_view text) {
    text_ = text;
    null_ = false;
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
