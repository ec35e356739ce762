#include "kf/model/automation.h"

#include "kf/rt/utf16.h"

namespace kf::model {

bool Value::IsEmpty() const {
    if (kind() == Kind::Empty)
        return true;
    if (auto* o = std::get_if<ObjectRef>(&v_))
        return !*o;
    return false;
}

bool Value::AsBool() const {
    switch (kind()) {
    case Kind::Bool:
        return std::get<bool>(v_);
    case Kind::Int:
        return std::get<std::int32_t>(v_) != 0;
    case Kind::UInt:
        return std::get<std::uint32_t>(v_) != 0;
    default:
        return false;
    }
}

std::int32_t Value::AsInt() const {
    switch (kind()) {
    case Kind::Bool:
        return std::get<bool>(v_) ? 1 : 0;
    case Kind::Int:
        return std::get<std::int32_t>(v_);
    case Kind::UInt:
        return static_cast<std::int32_t>(std::get<std::uint32_t>(v_));
    default:
        return 0;
    }
}

std::uint32_t Value::AsUInt() const {
    return static_cast<std::uint32_t>(AsInt());
}

std::u16string Value::AsString() const {
    switch (kind()) {
    case Kind::String:
        return std::get<std::u16string>(v_);
    case Kind::Int: {
        auto s = std::to_string(std::get<std::int32_t>(v_));
        return {s.begin(), s.end()};
    }
    case Kind::UInt: {
        auto s = std::to_string(std::get<std::uint32_t>(v_));
        return {s.begin(), s.end()};
    }
    default:
        return {};
    }
}

ObjectRef Value::AsObject() const {
    if (auto* o = std::get_if<ObjectRef>(&v_))
        return *o;
    return nullptr;
}

AutomationError::AutomationError(std::u16string member, std::u16string description)
    : member_(std::move(member)), description_(std::move(description)),
      messageId_(description_.empty() ? kUnexpectedErrorId : 0) {
    if (description_.empty())
        description_ = kUnexpectedErrorText;
    what_ = kf::rt::Utf16ToUtf8(member_) + ": " + kf::rt::Utf16ToUtf8(description_);
}

namespace {

Value Run(const ObjectRef& object, std::u16string_view member, InvokeKind kind,
          std::span<const Value> args) {
    if (!object)
        return {};
    InvokeResult r = object->Invoke(member, kind, args);
    switch (r.status) {
    case InvokeResult::Status::Ok:
        return std::move(r.value);
    case InvokeResult::Status::UnknownName:
        return {};
    case InvokeResult::Status::Failed:
        break;
    }
    throw AutomationError(std::u16string(member), std::move(r.description));
}

} // namespace

Value Get(const ObjectRef& object, std::u16string_view member) {
    return Run(object, member, InvokeKind::Get, {});
}

Value Get(const ObjectRef& object, std::u16string_view member, std::initializer_list<Value> args) {
    return Run(object, member, InvokeKind::Get, std::span<const Value>(args.begin(), args.size()));
}

void Put(const ObjectRef& object, std::u16string_view member, const Value& value) {
    Run(object, member, InvokeKind::Put, std::span<const Value>(&value, 1));
}

Value Call(const ObjectRef& object, std::u16string_view member, std::initializer_list<Value> args) {
    return Run(object, member, InvokeKind::Call, std::span<const Value>(args.begin(), args.size()));
}

Value Call(const ObjectRef& object, std::u16string_view member, std::span<const Value> args) {
    return Run(object, member, InvokeKind::Call, args);
}

} // namespace kf::model
