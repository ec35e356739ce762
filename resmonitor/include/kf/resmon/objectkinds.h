#pragma once
// The 28 object kinds of a row (their position is the column) and the built-in default
// counts of each Windows family.

#include "kf/resmon/platform.h"
#include "kf/resmon/windowsfamily.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace kf::resmon {

inline constexpr std::size_t kObjectKindCount = 28;

inline constexpr std::array<std::string_view, kObjectKindCount> kObjectKindNames = {
    "HWND",         "HMENU",     "ICON",        "CURSOR",    "DEFERWNDPOS", "HOOK",
    "CLIPBOARD",    "CALLPROC",  "ACCELERATOR", "DDEACCESS", "DDECONV",     "DDETRANS",
    "KBDLAYOUT",    "MDICHILD",  "DC",          "DDOBJECT",  "DDSURFACE",   "REGION",
    "SURFACE",      "PATH",      "PALETTE",     "FONT",      "BRUSH",       "METAOBJECT",
    "DRIVEROBJECT", "DCIOBJECT", "SPOOLDATA",   "PEN",
};

// The count a kind gets when its row leaves it unset; the name is compared without regard
// to case, and a name the family's table does not hold gets 300.
int DefaultCount(WindowsFamily family, std::string_view kindName);

// The row column whose count decides how many objects of a kind a check creates.
std::size_t ColumnOf(Creatable kind);

} // namespace kf::resmon
