// Model file parser: any input either reads or fails with a FileError; what reads writes
// back and reads again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kf/draftora/fixture.h"
#include "kf/draftora/modelfile.h"
#include "kf/draftora/tool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kf::draftora::Tool tool;
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        auto model = kf::draftora::ReadModel(tool, text, "fuzz.oom");
        std::string again = kf::draftora::WriteModel(*model);
        auto reread = kf::draftora::ReadModel(tool, again, "again.oom");
        if (kf::draftora::WriteModel(*reread) != again)
            __builtin_trap();
    } catch (const kf::draftora::FileError&) {
    }
    try {
        kf::draftora::ParseFixture(text, "fuzz.fixture");
    } catch (const kf::draftora::FileError&) {
    }
    return 0;
}
