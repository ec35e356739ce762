// Script classes: the system classes, classes from extension descriptions and export sources.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kf/kfruntime/value.h"

namespace kf::rt {

class ExtensionLibrary;

struct FieldDef {
  std::u16string name;  // as declared
  TypeSpec type;
  std::optional<Value> initial;
  int line = 0;
};

struct ParamDef {
  std::u16string name;
  TypeSpec type;
  bool byRef = false;
  bool readOnly = false;
};

struct FunctionDef {
  std::u16string name;  // as declared
  TypeSpec result;      // ValueType::None for subroutines
  std::vector<ParamDef> params;
  std::optional<std::u16string> alias;
  std::vector<std::u16string> throws;
  int line = 0;
};

// indirect T name { setter, getter }: kept as written; the runtime gives it no behaviour.
struct IndirectDef {
  std::u16string name;
  TypeSpec type;
  std::u16string accessors;
};

enum class ClassOrigin { System, Native, Source };

struct ClassDef {
  std::u16string name;          // as declared
  std::u16string ancestorName;  // empty only for the root class
  ClassOrigin origin = ClassOrigin::Source;
  std::vector<FieldDef> ownFields;
  std::vector<FunctionDef> functions;  // own functions; method id = position
  std::vector<IndirectDef> indirects;
  std::string file;  // where the class was declared, for messages
  int line = 0;

  // Filled in when the class is registered with a runtime.
  const ClassDef* ancestor = nullptr;
  GroupKind kind = GroupKind::Exception;
  ClassHandle handle = kNoHandle;
  GroupHandle group = kNoHandle;
  ExtensionLibrary* extension = nullptr;  // for native classes
  std::vector<FieldDef> fields;           // inherited first, then own; field id = position
  struct Method {
    const ClassDef* owner;
    std::uint32_t index;  // position within the owner
  };
  std::vector<Method> methods;  // own functions first, then inherited ones

  bool IsA(const ClassDef& other) const;
  bool IsA(std::u16string_view lowerName) const;
  // The nearest class in the chain that an extension implements, or none.
  const ClassDef* NativeBase() const;
  const FunctionDef& Function(const Method& m) const { return m.owner->functions[m.index]; }
};

}  // namespace kf::rt
