// Late-bound automation: how the plug-in drives the modelling tool by member name. The
// portable form below is what the plug-in's logic sees; on Windows it sits over IDispatch
// (dispatchclient.h), on Linux directly over the tool stand-in's objects.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace kf::model {

class AutoObject;
using ObjectRef = std::shared_ptr<AutoObject>;

// One automation value: empty, boolean, 32-bit integer, unsigned, UTF-16 text or object.
class Value {
public:
    enum class Kind { Empty, Bool, Int, UInt, String, Object };

    Value() = default;
    Value(bool b) : v_(b) {}
    Value(std::int32_t i) : v_(i) {}
    Value(std::uint32_t u) : v_(u) {}
    Value(std::u16string s) : v_(std::move(s)) {}
    Value(const char16_t* s) : v_(std::u16string(s ? s : u"")) {}
    Value(ObjectRef o) : v_(std::move(o)) {}
    template <class T> Value(std::shared_ptr<T> o) : v_(ObjectRef(std::move(o))) {}

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    // Empty, or an object slot that holds no object: callers treat both as absent.
    bool IsEmpty() const;

    // Lenient readers, as automation callers use results: a number from any number or
    // boolean, text from text or a number, false / 0 / "" / null otherwise.
    bool AsBool() const;
    std::int32_t AsInt() const;
    std::uint32_t AsUInt() const;
    std::u16string AsString() const;
    ObjectRef AsObject() const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, bool, std::int32_t, std::uint32_t, std::u16string, ObjectRef> v_;
};

enum class InvokeKind { Get, Put, Call };

// What an object answers to one invocation.
struct InvokeResult {
    enum class Status { Ok, UnknownName, Failed };
    Status status = Status::Ok;
    Value value;
    std::u16string description; // for Failed: the callee's text, may be empty

    static InvokeResult Ok(Value v = {}) { return {Status::Ok, std::move(v), {}}; }
    static InvokeResult Unknown() { return {Status::UnknownName, {}, {}}; }
    static InvokeResult Fail(std::u16string text) { return {Status::Failed, {}, std::move(text)}; }
};

// An automation object: members looked up by name ignoring letter case. For Put the single
// argument is the new value.
class AutoObject {
public:
    virtual ~AutoObject() = default;
    virtual InvokeResult Invoke(std::u16string_view member, InvokeKind kind,
                                std::span<const Value> args) = 0;
    // Whether the name is a member, for callers that resolve names before invoking.
    virtual bool HasMember(std::u16string_view member) = 0;
};

// Message number and text shown when a failing call gives no description of its own.
inline constexpr int kUnexpectedErrorId = 40602;
inline constexpr std::u16string_view kUnexpectedErrorText = u"Unexpected Error";

// A failed automation call; ends the calling operation, whose edge shows Description().
class AutomationError : public std::exception {
public:
    AutomationError(std::u16string member, std::u16string description);
    const std::u16string& Member() const { return member_; }
    // The callee's description, or the text of message 40602 when it gave none.
    const std::u16string& Description() const { return description_; }
    // 0 when the callee described the failure, else 40602.
    int MessageId() const { return messageId_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::u16string member_;
    std::u16string description_;
    int messageId_;
    std::string what_;
};

// The caller's side. A member the object does not know, or a null object, gives an empty
// result (Put then does nothing); a failure throws AutomationError.
Value Get(const ObjectRef& object, std::u16string_view member);
Value Get(const ObjectRef& object, std::u16string_view member, std::initializer_list<Value> args);
void Put(const ObjectRef& object, std::u16string_view member, const Value& value);
Value Call(const ObjectRef& object, std::u16string_view member,
           std::initializer_list<Value> args = {});
Value Call(const ObjectRef& object, std::u16string_view member, std::span<const Value> args);

} // namespace kf::model
