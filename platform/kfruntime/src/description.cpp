#include "kf/kfruntime/description.h"

#include "kf/kfruntime/declarations.h"
#include "kf/kfruntime/errors.h"

namespace kf::rt {

std::vector<std::unique_ptr<ClassDef>> ParseDescription(std::u16string_view text,
                                                        const std::string& origin) {
  std::vector<std::unique_ptr<ClassDef>> classes;
  std::unique_ptr<ClassDef> current;
  int lineNumber = 0;
  for (std::u16string_view line : SplitLines(text)) {
    ++lineNumber;
    LineReader r(ScanLine(line, origin, lineNumber), origin, lineNumber);
    if (r.AtEnd()) continue;
    if (!current) {
      r.ExpectWord(u"class");
      current = std::make_unique<ClassDef>();
      current->origin = ClassOrigin::Native;
      current->file = origin;
      current->line = lineNumber;
      current->name = r.ExpectName("a class name");
      r.ExpectWord(u"from");
      current->ancestorName = r.ExpectName("an ancestor class name");
      r.ExpectEnd();
    } else if (r.Peek().IsWord(u"end")) {
      r.Next();
      r.ExpectWord(u"class");
      r.ExpectEnd();
      classes.push_back(std::move(current));
    } else {
      current->functions.push_back(r.ReadPrototype());
    }
  }
  if (current) classes.push_back(std::move(current));
  if (classes.empty()) throw Error(origin, 0, "the class description declares no class");
  return classes;
}

}  // namespace kf::rt
