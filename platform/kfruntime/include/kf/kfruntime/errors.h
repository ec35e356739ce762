// Failures of loading and running, with the file and line they concern.
#pragma once

#include <stdexcept>
#include <string>

namespace kf::rt {

// what() is "file:line: message" (or "file: message" when there is no line).
class Error : public std::runtime_error {
 public:
  Error(const std::string& file, int line, const std::string& message)
      : std::runtime_error(Where(file, line) + message), file_(file), line_(line) {}
  const std::string& file() const { return file_; }
  int line() const { return line_; }

 private:
  static std::string Where(const std::string& file, int line) {
    if (file.empty()) return {};
    return line > 0 ? file + ":" + std::to_string(line) + ": " : file + ": ";
  }
  std::string file_;
  int line_;
};

}  // namespace kf::rt
