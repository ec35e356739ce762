// What an extension implements: native objects and the handlers of proxy objects.
#pragma once

#include "kf/rt/callframe.h"

namespace kf::rt {

class RuntimeContext;

// The native part of a script object of an extension class.
class NativeObject {
 public:
  // The method id is the function's position within its class (low 16 bits).
  virtual std::int32_t InvokeMethod(RuntimeContext* context, ObjectHandle object,
                                    MethodId method, CallFrame* frame) = 0;
  // Called once when the script object dies; the object deletes itself.
  virtual void DestroyObject() = 0;

 protected:
  virtual ~NativeObject() = default;
};

// Receives every call of a proxy object's functions once attached to it.
class RemoteCallHandler {
 public:
  virtual std::int32_t CallRemote(RuntimeContext* context, ObjectHandle proxy,
                                  const char16_t* alias, CallFrame* frame) = 0;
  virtual ModuleHandle LibraryHandle() = 0;
  // Called once when the proxy object dies; the handler deletes itself.
  virtual void DestroyObject() = 0;

 protected:
  virtual ~RemoteCallHandler() = default;
};

}  // namespace kf::rt
