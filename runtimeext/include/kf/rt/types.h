// Handles, value type codes and status codes shared by the runtime and its extensions.
#pragma once

#include <cstdint>

namespace kf::rt {

// Every runtime entity crosses the interface as an opaque 32-bit handle; 0 means none.
using Handle = std::uint32_t;
using ClassHandle = Handle;
using GroupHandle = Handle;
using ObjectHandle = Handle;
using StringHandle = Handle;
using ArrayHandle = Handle;
using BlobHandle = Handle;
using DateHandle = Handle;
using TimeHandle = Handle;
using DateTimeHandle = Handle;
using DecimalHandle = Handle;

inline constexpr Handle kNoHandle = 0;

// Method ids are positions within a class; only the low 16 bits are significant.
using MethodId = std::uint32_t;
inline constexpr MethodId kNoMethod = 0xFFFF;

using FieldId = std::uint32_t;
inline constexpr FieldId kNoField = 0xFFFF;

// The module handle of a loaded extension library (HMODULE on Windows, dlopen handle elsewhere).
using ModuleHandle = void*;

// Script value type codes.
enum class ValueType : std::uint16_t {
  None = 0,
  Int = 1,       // 16-bit signed
  Long = 2,      // 32-bit signed
  Real = 3,      // 32-bit floating point
  Double = 4,
  Decimal = 5,
  String = 6,
  Boolean = 7,
  Any = 8,
  UInt = 9,      // 16-bit unsigned
  ULong = 10,    // 32-bit unsigned
  Blob = 11,
  Date = 12,
  Time = 13,
  DateTime = 14,
  LongLong = 20, // 64-bit signed
  // Reported for object values, object fields and object arrays. Not a script type code of
  // its own; it is never 0, so a copied object value still counts as written.
  Object = 0x100,
};

// Kinds of class groups that extensions look up.
enum class GroupKind : std::int32_t {
  Proxy = 4,      // classes loaded from export sources that are not structures or exceptions
  Structure = 5,  // classes "from structure"
  Exception = 6,  // native extension classes and exception classes
};

// Result of runtime operations that can fail. Getters report failure as 0 / none instead.
enum class Status : std::int32_t {
  Ok = 0,
  BadHandle = -1,     // unknown or released handle, unknown field or method id
  TypeMismatch = -2,  // value of another type than the slot holds
  NullValue = -3,     // the operation needs a value that is null
  OutOfBounds = -4,   // array index outside the bounds, or wrong number of indexes
  ReadOnly = -5,      // the slot cannot be written (a readonly argument)
  Failed = -6,        // anything else (bad text, bad date, not an exception object)
};

// Array bounds of one dimension, both inclusive.
struct ArrayBound {
  std::int32_t lower;
  std::int32_t upper;
};

enum class ArrayKind : std::int32_t {
  Bounded = 0,
  Unbounded = 1,
};

// What GetArrayInfo reports; owned by the runtime until ReleaseArrayInfo.
struct ArrayInfo {
  ArrayKind kind;           // first member: 0 for a bounded array
  ValueType itemType;       // ValueType::Object for arrays of a class
  ClassHandle itemClass;    // the item class of an object array, else none
  std::uint32_t dimensions; // 1 for unbounded arrays
  const ArrayBound* bounds; // one per dimension; for unbounded arrays {1, current length}
};

}  // namespace kf::rt
