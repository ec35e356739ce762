// The option text of setoptions and setproxyserveroptions: key=value pairs, separated by
// commas; values are quoted strings, numbers or words.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kf::soap {

struct OptionPair {
    enum class Kind { Quoted, Number, Word };
    std::u16string key; // lower case
    Kind kind = Kind::Word;
    std::u16string value; // without the quotes
};

// Reads the pairs in order and hands each to `apply` at once. False on the first syntax
// error or the first pair that `apply` refuses; the pairs before it stay applied.
bool ParseOptions(std::u16string_view text, const std::function<bool(const OptionPair&)>& apply);

} // namespace kf::soap
