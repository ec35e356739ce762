// One element of a SOAP message: a name, attributes, a text value or child elements.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kf::easysoap {

// A namespace-qualified name. Also used for attribute values that are qualified names
// (xsi:type, arrayType); a value without namespace is written as plain text.
struct SOAPQName {
    std::string name;
    std::string ns;

    SOAPQName() = default;
    SOAPQName(std::string_view n, std::string_view s = {}) : name(n), ns(s) {}
    void Set(std::string_view n, std::string_view s = {}) {
        name = n;
        ns = s;
    }
    bool operator==(const SOAPQName&) const = default;
};

class SOAPParameter {
public:
    using Array = std::vector<std::unique_ptr<SOAPParameter>>;
    using Attributes = std::vector<std::pair<SOAPQName, SOAPQName>>;

    SOAPParameter() = default;
    explicit SOAPParameter(std::string_view name, std::string_view ns = {}) : name_(name, ns) {}
    SOAPParameter(const SOAPParameter& other);
    SOAPParameter& operator=(const SOAPParameter& other);
    SOAPParameter(SOAPParameter&&) noexcept = default;
    SOAPParameter& operator=(SOAPParameter&&) noexcept = default;
    virtual ~SOAPParameter() = default;

    const SOAPQName& GetName() const { return name_; }
    void SetName(std::string_view name, std::string_view ns = {}) { name_.Set(name, ns); }

    // A new child element; the parameter becomes a compound one.
    SOAPParameter& AddParameter(std::string_view name = "item");
    // The first child of that local name; SOAPException when there is none.
    const SOAPParameter& GetParameter(std::string_view name) const;
    SOAPParameter& GetParameter(std::string_view name);
    const SOAPParameter* FindParameter(std::string_view name) const;
    const Array& GetArray() const { return children_; }
    Array& GetArray() { return children_; }

    bool IsNull() const { return null_; }
    void SetNull(bool null = true);
    bool IsStruct() const { return struct_ || !children_.empty(); }
    void SetIsStruct() { struct_ = true; }

    // Back to an empty value: no text, no children, no attributes, not nil.
    void ClearValue();

    // The value of the attribute (added empty when absent), to be set by the caller.
    SOAPQName& AddAttribute(const SOAPQName& name);
    const SOAPQName* GetAttribute(const SOAPQName& name) const;
    // False when there was none.
    bool RemoveAttribute(const SOAPQName& name);
    const Attributes& GetAttributes() const { return attributes_; }

    void SetValue(std::string_view text);
    const std::string& GetString() const { return text_; }

private:
    SOAPQName name_;
    std::string text_;
    bool null_ = false;
    bool struct_ = false;
    Attributes attributes_;
    Array children_;
};

} // namespace kf::easysoap
