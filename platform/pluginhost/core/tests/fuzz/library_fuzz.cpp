// Library and target file parsers: any input reads or fails with a StoreError; what reads
// writes back to text that reads the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kf/pluginhost/store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        auto lib = kf::pluginhost::Library::Parse(text, "fuzz.kfl");
        auto again = lib.Text();
        if (kf::pluginhost::Library::Parse(again, "again.kfl").Text() != again)
            __builtin_trap();
    } catch (const kf::pluginhost::StoreError&) {
    }
    try {
        auto target = kf::pluginhost::Target::Parse(text, "fuzz.kft", "fuzz.kft");
        auto again = target.Text();
        if (kf::pluginhost::Target::Parse(again, "again.kft", "again.kft").Text() != again)
            __builtin_trap();
        target.Libraries();
    } catch (const kf::pluginhost::StoreError&) {
    }
    return 0;
}
