// One element of a SOAP message: a name, attributes, a text value or child elements.
#pragma once

#include <atomic>
#include <cstdint>
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

// A decoded response holds millions of elements, mostly of a few names: names are shared,
// immutable and counted, attributes and children take room only when present.
class SOAPParameter {
public:
    using Array = std::vector<std::unique_ptr<SOAPParameter>>;
    using Attributes = std::vector<std::pair<SOAPQName, SOAPQName>>;

    SOAPParameter() = default;
    explicit SOAPParameter(std::string_view name, std::string_view ns = {});
    SOAPParameter(const SOAPParameter& other);
    SOAPParameter& operator=(const SOAPParameter& other);
    SOAPParameter(SOAPParameter&& other) noexcept;
    SOAPParameter& operator=(SOAPParameter&& other) noexcept;
    ~SOAPParameter() { Release(); }

    const SOAPQName& GetName() const {
        const NameBlock* b = Block();
        return b ? b->name : EmptyName();
    }
    void SetName(std::string_view name, std::string_view ns = {});
    // The name of other, shared rather than copied.
    void ShareName(const SOAPParameter& other);

    // A new child element; the parameter becomes a compound one.
    SOAPParameter& AddParameter(std::string_view name = "item");
    // The first child of that local name; SOAPException when there is none.
    const SOAPParameter& GetParameter(std::string_view name) const;
    SOAPParameter& GetParameter(std::string_view name);
    const SOAPParameter* FindParameter(std::string_view name) const;
    const Array& GetArray() const { return children_ ? *children_ : EmptyArray(); }
    Array& GetArray();

    bool IsNull() const { return (name_ & kNullBit) != 0; }
    void SetNull(bool null = true);
    bool IsStruct() const { return (name_ & kStructBit) != 0 || (children_ && !children_->empty()); }
    void SetIsStruct() { name_ |= kStructBit; }

    // Back to an empty value: no text, no children, no attributes, not nil.
    void ClearValue();

    // The value of the attribute (added empty when absent), to be set by the caller.
    SOAPQName& AddAttribute(const SOAPQName& name);
    const SOAPQName* GetAttribute(const SOAPQName& name) const;
    // False when there was none.
    bool RemoveAttribute(const SOAPQName& name);
    const Attributes& GetAttributes() const {
        return attributes_ ? *attributes_ : EmptyAttributes();
    }

    void SetValue(std::string_view text);
    const std::string& GetString() const { return text_; }

private:
    struct NameBlock {
        SOAPQName name;
        mutable std::atomic<std::size_t> refs{1};
    };
    static_assert(alignof(NameBlock) > 3);
    // The flags live in the low bits of the name block's address.
    static constexpr std::uintptr_t kNullBit = 1, kStructBit = 2, kFlagBits = 3;

    const NameBlock* Block() const {
        return reinterpret_cast<const NameBlock*>(name_ & ~kFlagBits);
    }
    void SetBlock(const NameBlock* block) {
        name_ = reinterpret_cast<std::uintptr_t>(block) | (name_ & kFlagBits);
    }
    void Release();
    static const SOAPQName& EmptyName();
    static const Array& EmptyArray();
    static const Attributes& EmptyAttributes();

    std::uintptr_t name_ = 0; // none: the empty name
    std::string text_;
    std::unique_ptr<Attributes> attributes_;
    std::unique_ptr<Array> children_;
};

} // namespace kf::easysoap
