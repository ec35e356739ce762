// Alias texts: splitting and scanning end in a result or the scanner's end-of-text error.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "kf/soap/aliascall.h"
#include "kf/soap/aliasscanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text += char16_t(data[i] | (data[i + 1] << 8));
  try {
    const kf::soap::AliasParts parts = kf::soap::SplitAlias(text);
    kf::soap::AliasScanner scanner(parts.parameters);
    for (std::size_t n = 0; n <= parts.parameters.size(); ++n) scanner.Next();
    std::abort();  // more tokens than characters
  } catch (const kf::soap::SoapScannerException&) {
  } catch (const std::invalid_argument&) {
  }
  return 0;
}
