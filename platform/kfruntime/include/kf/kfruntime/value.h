// Values held by variables, fields, array items and call arguments.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "kf/kfruntime/datetime.h"
#include "kf/kfruntime/decimal.h"
#include "kf/rt/types.h"

namespace kf::rt {

struct Object;
struct Array;
using ObjectRef = std::shared_ptr<Object>;
using ArrayRef = std::shared_ptr<Array>;
using Blob = std::vector<std::uint8_t>;

// A declared type: a value type, any, or a class (ValueType::Object); optionally an array.
struct TypeSpec {
  ValueType type = ValueType::None;
  std::u16string className;         // lower case, for ValueType::Object
  bool isArray = false;
  std::vector<ArrayBound> bounds;   // empty: unbounded

  static TypeSpec Scalar(ValueType t) { return TypeSpec{t, {}, false, {}}; }
  static TypeSpec Class(std::u16string name) {
    return TypeSpec{ValueType::Object, std::move(name), false, {}};
  }
  TypeSpec Item() const { return TypeSpec{type, className, false, {}}; }
};

using Data = std::variant<std::monostate, bool, std::int16_t, std::uint16_t, std::int32_t,
                          std::uint32_t, std::int64_t, float, double, Decimal, std::u16string,
                          Blob, Date, Time, DateTime, ObjectRef, ArrayRef>;

struct Value {
  ValueType type = ValueType::None;  // of the data; for arrays the item type
  bool isArray = false;
  bool null = true;
  Data data;

  static Value Of(ValueType t, Data d) { return Value{t, false, false, std::move(d)}; }
  static Value Null(ValueType t, bool array = false) { return Value{t, array, true, {}}; }
};

// Largest number of items an array may hold; writes beyond it fail instead of exhausting
// memory.
inline constexpr std::size_t kMaxArrayItems = std::size_t(1) << 20;

struct Array {
  ValueType itemType = ValueType::None;
  std::u16string itemClass;        // lower case, for object arrays
  bool bounded = false;
  std::vector<ArrayBound> bounds;  // bounded arrays only
  std::vector<Value> items;        // row-major; the last index varies fastest

  // Position of an item; grows an unbounded array when asked to. Nothing when out of bounds.
  std::optional<std::size_t> Offset(const std::int32_t* index, bool grow);
  std::uint32_t Dimensions() const { return bounded ? std::uint32_t(bounds.size()) : 1; }
};

// Number of items of a bounded array; nothing when a lower bound exceeds its upper bound or
// the count exceeds kMaxArrayItems.
std::optional<std::size_t> BoundedItemCount(const std::vector<ArrayBound>& bounds);

// The initial value of a declared type: 0, "", false, 1900-01-01, an empty array; null for
// objects and any.
Value DefaultValue(const TypeSpec& type);

// Deep copy of an array (object items stay shared), for assignment and by-value passing.
ArrayRef CopyArray(const Array& array);

// A value of built-in type name (int, integer, long, string, ...); nothing for other names.
std::optional<ValueType> BuiltinType(std::u16string_view lowerName);
std::string TypeName(ValueType type);

}  // namespace kf::rt
