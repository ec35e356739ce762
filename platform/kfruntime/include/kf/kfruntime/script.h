// kfrun scripts: the statements of one script file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kf/kfruntime/scanner.h"
#include "kf/kfruntime/value.h"

namespace kf::rt {

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
  enum class Kind { Literal, Variable, Index, Field, Call, Create } kind;
  int line = 0;
  Token literal;               // Literal
  std::u16string name;         // Variable, Field, Call: the name; Create: the class
  ExprPtr base;                // Index, Field, Call: what is indexed or called
  std::vector<ExprPtr> args;   // Index: the indexes; Call: the arguments
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;

struct Declarator {
  std::u16string name;
  TypeSpec type;
  ExprPtr init;
};

struct CatchClause {
  std::u16string className;
  std::u16string variable;
  int line = 0;
  std::vector<StmtPtr> body;
};

struct Stmt {
  enum class Kind { Declare, Assign, Evaluate, Destroy, Try, Print } kind;
  int line = 0;
  std::u16string typeName;               // Declare: as written
  std::vector<Declarator> declarators;   // Declare
  ExprPtr target;                        // Assign, Destroy
  ExprPtr value;                         // Assign, Evaluate
  std::vector<ExprPtr> items;            // Print
  std::vector<StmtPtr> body;             // Try
  std::vector<CatchClause> catches;      // Try
};

struct Script {
  std::string file;
  std::vector<StmtPtr> statements;
};

// One statement per line; "//" starts a comment. Throws Error(file, line, ...).
Script ParseScript(std::u16string_view text, const std::string& file);

}  // namespace kf::rt
