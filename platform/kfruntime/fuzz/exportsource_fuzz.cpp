// Export sources come from files anyone can edit: any bytes must parse or fail cleanly.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kf/kfruntime/errors.h"
#include "kf/kfruntime/exportsource.h"
#include "kf/kfruntime/runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    auto cls = kf::rt::ParseExportSource(bytes, "fuzz.srx");
    // Registering exercises field and method tables over whatever parsed.
    kf::rt::Runtime rt;
    cls->ancestorName = u"nonvisualobject";
    const kf::rt::ClassDef& added = rt.AddClass(std::move(cls));
    // Objects only for classes without large arrays, to stay within the fuzzer's memory.
    std::size_t items = 0;
    for (const auto& f : added.fields)
      if (f.type.isArray && !f.type.bounds.empty()) items += *kf::rt::BoundedItemCount(f.type.bounds);
    if (items <= 4096)
      if (auto object = rt.NewObject(added, true)) object->Destroy();
  } catch (const kf::rt::Error&) {
  }
  return 0;
}
