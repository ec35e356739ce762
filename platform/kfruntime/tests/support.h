// Shared helpers of the runtime tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "kf/kfruntime/convert.h"
#include "kf/kfruntime/exportsource.h"
#include "kf/kfruntime/extension.h"
#include "kf/kfruntime/interpreter.h"
#include "kf/kfruntime/runtime.h"
#include "kf/kfruntime/text.h"

namespace kf::rt::test {

inline std::string DataPath(const std::string& name) { return std::string(KF_TEST_DATA) + "/" + name; }

inline std::string ExtensionPath() { return KF_TEST_EXTENSION; }

inline std::string ReadData(const std::string& name) {
  std::ifstream in(DataPath(name), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct ScriptResult {
  std::string output;
  std::string error;  // what() of the Error, empty when the script ran to its end
  bool uncaught = false;
};

inline ScriptResult RunScript(Runtime& rt, const std::string& text,
                              const std::string& file = "test.kfs") {
  ScriptResult r;
  std::ostringstream out;
  try {
    Script script = ParseScript(Widen(text), file);
    Interpreter interpreter(rt, out);
    interpreter.Run(script);
  } catch (const UncaughtException& e) {
    r.error = e.what();
    r.uncaught = true;
  } catch (const Error& e) {
    r.error = e.what();
  }
  r.output = out.str();
  return r;
}

}  // namespace kf::rt::test
