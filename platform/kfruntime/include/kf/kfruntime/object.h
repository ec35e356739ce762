// Script objects.
#pragma once

#include <vector>

#include "kf/kfruntime/classes.h"
#include "kf/rt/nativeobject.h"

namespace kf::rt {

struct Object {
  const ClassDef* cls = nullptr;
  std::vector<Value> fields;  // by field id
  NativeObject* native = nullptr;
  RemoteCallHandler* handler = nullptr;
  bool proxy = false;  // created by CreateProxyObject: may take a call handler
  bool destroyed = false;

  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  ~Object() { Destroy(); }

  // Ends the object: its native part and call handler are told once, its fields let go.
  void Destroy();
};

}  // namespace kf::rt
