#include "kf/kfruntime/value.h"

#include <utility>

namespace kf::rt {

std::optional<std::size_t> Array::Offset(const std::int32_t* index, bool grow) {
  if (index == nullptr) return std::nullopt;
  if (!bounded) {
    if (index[0] < 1) return std::nullopt;
    auto pos = std::size_t(index[0]);
    if (pos > items.size()) {
      if (!grow || pos > kMaxArrayItems) return std::nullopt;
      items.resize(pos, DefaultValue(TypeSpec{itemType, itemClass, false, {}}));
    }
    return pos - 1;
  }
  std::size_t offset = 0;
  for (const auto& b : bounds) {
    std::int32_t i = *index++;
    if (i < b.lower || i > b.upper) return std::nullopt;
    offset = offset * (std::size_t(std::int64_t(b.upper) - b.lower) + 1) +
             std::size_t(std::int64_t(i) - b.lower);
  }
  return offset;
}

std::optional<std::size_t> BoundedItemCount(const std::vector<ArrayBound>& bounds) {
  if (bounds.empty()) return std::nullopt;
  std::size_t count = 1;
  for (const auto& b : bounds) {
    if (b.lower > b.upper) return std::nullopt;
    auto n = std::size_t(std::int64_t(b.upper) - b.lower + 1);
    if (n > kMaxArrayItems || count * n > kMaxArrayItems) return std::nullopt;
    count *= n;
  }
  return count;
}

Value DefaultValue(const TypeSpec& type) {
  if (type.isArray) {
    auto array = std::make_shared<Array>();
    array->itemType = type.type;
    array->itemClass = type.className;
    if (!type.bounds.empty()) {
      array->bounded = true;
      array->bounds = type.bounds;
      std::size_t count = 1;
      for (const auto& b : type.bounds) count *= std::size_t(std::int64_t(b.upper) - b.lower + 1);
      array->items.assign(count, DefaultValue(type.Item()));
    }
    return Value{type.type, true, false, std::move(array)};
  }
  switch (type.type) {
    case ValueType::Int: return Value::Of(type.type, std::int16_t(0));
    case ValueType::UInt: return Value::Of(type.type, std::uint16_t(0));
    case ValueType::Long: return Value::Of(type.type, std::int32_t(0));
    case ValueType::ULong: return Value::Of(type.type, std::uint32_t(0));
    case ValueType::LongLong: return Value::Of(type.type, std::int64_t(0));
    case ValueType::Real: return Value::Of(type.type, 0.0f);
    case ValueType::Double: return Value::Of(type.type, 0.0);
    case ValueType::Decimal: return Value::Of(type.type, Decimal{});
    case ValueType::String: return Value::Of(type.type, std::u16string{});
    case ValueType::Boolean: return Value::Of(type.type, false);
    case ValueType::Blob: return Value::Of(type.type, Blob{});
    case ValueType::Date: return Value::Of(type.type, Date{});
    case ValueType::Time: return Value::Of(type.type, Time{});
    case ValueType::DateTime: return Value::Of(type.type, DateTime{});
    default: return Value::Null(type.type);
  }
}

ArrayRef CopyArray(const Array& array) {
  auto copy = std::make_shared<Array>(array);
  for (auto& item : copy->items)
    if (item.isArray && !item.null)
      if (auto* inner = std::get_if<ArrayRef>(&item.data); inner && *inner)
        *inner = CopyArray(**inner);
  return copy;
}

std::optional<ValueType> BuiltinType(std::u16string_view n) {
  static const std::pair<std::u16string_view, ValueType> kNames[] = {
      {u"int", ValueType::Int},           {u"integer", ValueType::Int},
      {u"uint", ValueType::UInt},         {u"unsignedint", ValueType::UInt},
      {u"unsignedinteger", ValueType::UInt}, {u"long", ValueType::Long},
      {u"ulong", ValueType::ULong},       {u"unsignedlong", ValueType::ULong},
      {u"longlong", ValueType::LongLong}, {u"real", ValueType::Real},
      {u"double", ValueType::Double},     {u"dec", ValueType::Decimal},
      {u"decimal", ValueType::Decimal},   {u"string", ValueType::String},
      {u"boolean", ValueType::Boolean},   {u"any", ValueType::Any},
      {u"blob", ValueType::Blob},         {u"date", ValueType::Date},
      {u"time", ValueType::Time},         {u"datetime", ValueType::DateTime},
  };
  for (const auto& [name, type] : kNames)
    if (name == n) return type;
  return std::nullopt;
}

std::string TypeName(ValueType type) {
  switch (type) {
    case ValueType::Int: return "integer";
    case ValueType::UInt: return "unsignedinteger";
    case ValueType::Long: return "long";
    case ValueType::ULong: return "unsignedlong";
    case ValueType::LongLong: return "longlong";
    case ValueType::Real: return "real";
    case ValueType::Double: return "double";
    case ValueType::Decimal: return "decimal";
    case ValueType::String: return "string";
    case ValueType::Boolean: return "boolean";
    case ValueType::Any: return "any";
    case ValueType::Blob: return "blob";
    case ValueType::Date: return "date";
    case ValueType::Time: return "time";
    case ValueType::DateTime: return "datetime";
    case ValueType::Object: return "object";
    case ValueType::None: return "none";
  }
  return "type " + std::to_string(int(type));
}

}  // namespace kf::rt
