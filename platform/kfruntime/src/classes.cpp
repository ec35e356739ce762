#include "kf/kfruntime/classes.h"

#include "kf/kfruntime/text.h"

namespace kf::rt {

bool ClassDef::IsA(const ClassDef& other) const {
  for (const ClassDef* c = this; c != nullptr; c = c->ancestor)
    if (c == &other) return true;
  return false;
}

bool ClassDef::IsA(std::u16string_view lowerName) const {
  for (const ClassDef* c = this; c != nullptr; c = c->ancestor)
    if (EqualsNoCase(c->name, lowerName)) return true;
  return false;
}

const ClassDef* ClassDef::NativeBase() const {
  for (const ClassDef* c = this; c != nullptr; c = c->ancestor)
    if (c->origin == ClassOrigin::Native) return c;
  return nullptr;
}

}  // namespace kf::rt
