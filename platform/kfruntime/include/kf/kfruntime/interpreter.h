// Runs kfrun scripts against a runtime.
#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "kf/kfruntime/runtime.h"
#include "kf/kfruntime/script.h"

namespace kf::rt {

// A script exception that no catch clause took.
class UncaughtException : public Error {
 public:
  UncaughtException(const std::string& file, int line, std::string className, std::string text)
      : Error(file, line, "uncaught exception " + className + ": " + text),
        className_(std::move(className)),
        text_(std::move(text)) {}
  const std::string& className() const { return className_; }
  const std::string& text() const { return text_; }

 private:
  std::string className_;
  std::string text_;
};

class Interpreter {
 public:
  Interpreter(Runtime& runtime, std::ostream& out) : rt_(runtime), out_(out) {}
  ~Interpreter();

  // Throws Error for a script error (unknown names, wrong argument counts, type mismatches,
  // indexes out of bounds, null objects) and UncaughtException.
  void Run(const Script& script);

 private:
  struct Variable {
    TypeSpec type;
    Value value;
  };
  // Where a value lives: a variable, a field (kept alive by its object) or an array item.
  struct Place {
    Value* value = nullptr;
    TypeSpec type;
    std::shared_ptr<void> keepAlive;
    std::u16string what;  // for messages
  };
  struct Thrown {
    ObjectRef exception;
    int line;
  };

  void Execute(const std::vector<StmtPtr>& statements);
  void Execute(const Stmt& s);
  void Declare(const Stmt& s);
  void Assign(Place& place, Value value, int line);
  Value Evaluate(const Expr& e);
  Place Locate(const Expr& e, bool forWrite);
  ObjectRef ObjectFrom(const Expr& e);
  Value Call(const Expr& e);
  TypeSpec ResolveType(const std::u16string& typeName, TypeSpec type, int line);
  Variable* Find(const std::u16string& name);
  [[noreturn]] void Fail(int line, const std::string& message) const;
  std::string Describe(const TypeSpec& type) const;
  std::string DescribeValue(const Value& v) const;

  Runtime& rt_;
  std::ostream& out_;
  std::string file_;
  std::vector<std::map<std::u16string, std::unique_ptr<Variable>>> scopes_;
};

}  // namespace kf::rt
