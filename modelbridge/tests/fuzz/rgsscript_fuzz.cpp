// Registration script parser on arbitrary text, with a replacement map; a parsed script
// is also run against an in-memory registry in both modes.
#include <cstddef>
#include <cstdint>

#include "kf/model/registrar.h"
#include "registrysnapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    const kf::model::Replacements map{{u"MODULE", u"C:\\O'x\\m.dll"}, {u"v", u"1"}};
    auto parsed = kf::model::ParseScript(text, map);
    if (parsed.script) {
        kf::model::testing::MemoryRegistry registry;
        kf::model::RunScript(*parsed.script, kf::model::RegistrarMode::Register, registry);
        kf::model::RunScript(*parsed.script, kf::model::RegistrarMode::Unregister, registry);
    }
    return 0;
}
