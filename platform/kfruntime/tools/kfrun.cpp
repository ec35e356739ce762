// kfrun: runs a script file against the runtime stand-in.
//   kfrun [-x extension-library]... [-s export-source]... script
// Exit codes: 0 success, 1 uncaught script exception, 2 any other error.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "kf/kfruntime/exportsource.h"
#include "kf/kfruntime/extension.h"
#include "kf/kfruntime/interpreter.h"
#include "kf/kfruntime/text.h"

namespace {

int Usage() {
  std::cerr << "usage: kfrun [-x extension-library]... [-s export-source]... script\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> extensions, sources;
  std::string scriptPath;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "-x" || arg == "-s") && i + 1 < argc) {
      (arg == "-x" ? extensions : sources).push_back(argv[++i]);
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else if (scriptPath.empty()) {
      scriptPath = arg;
    } else {
      return Usage();
    }
  }
  if (scriptPath.empty()) return Usage();

  kf::rt::Runtime runtime;
  try {
    for (const auto& path : extensions) kf::rt::LoadExtension(runtime, path);
    kf::rt::LoadExportSources(runtime, sources);
    std::ifstream in(scriptPath, std::ios::binary);
    if (!in) throw kf::rt::Error(scriptPath, 0, "cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    kf::rt::Script script = kf::rt::ParseScript(kf::rt::Widen(text.str()), scriptPath);
    kf::rt::Interpreter interpreter(runtime, std::cout);
    interpreter.Run(script);
  } catch (const kf::rt::UncaughtException& e) {
    std::cout.flush();
    std::cerr << e.what() << '\n';
    return 1;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << e.what() << '\n';
    return 2;
  }
  return 0;
}
