// kfrun scripts: any bytes must parse or fail with an Error, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/script.h"
#include "kf/kfruntime/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    kf::rt::ParseScript(kf::rt::Widen(bytes), "fuzz.kfs");
  } catch (const kf::rt::Error&) {
  }
  return 0;
}
