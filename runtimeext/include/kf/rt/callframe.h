// The arguments and the return value of one call.
#pragma once

#include "kf/rt/scriptvalue.h"

namespace kf::rt {

class ArgumentList {
 public:
  virtual std::int32_t GetCount() = 0;
  // 0-based; none for an index outside the list.
  virtual ScriptValue* GetAt(std::int32_t index) = 0;

 protected:
  ~ArgumentList() = default;
};

class CallFrame {
 public:
  virtual ArgumentList* GetArguments() = 0;
  virtual ScriptValue* GetReturnValue() = 0;

 protected:
  ~CallFrame() = default;
};

}  // namespace kf::rt
