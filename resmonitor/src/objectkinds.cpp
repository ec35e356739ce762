#include "kf/resmon/objectkinds.h"

#include <algorithm>
#include <cctype>

namespace kf::resmon {
namespace {

struct DefaultRow {
    std::string_view name;
    std::array<int, 4> counts; // 9x, NT 4, 2000, XP
};

// Only the named kinds; every other kind gets kOtherKinds.
constexpr std::array<DefaultRow, 12> kDefaults = {{
    {"HWND", {600, 600, 600, 600}},
    {"HMENU", {30, 30, 30, 30}},
    {"ICON", {10, 10, 10, 10}},
    {"CURSOR", {10, 10, 10, 10}},
    {"MDICHILD", {300, 200, 200, 80}},
    {"DC", {20, 20, 20, 20}},
    {"FONT", {50, 50, 50, 50}},
    {"BRUSH", {20, 20, 20, 20}},
    {"PEN", {20, 20, 20, 20}},
    {"REGION", {5, 5, 5, 5}},
    {"SURFACE", {100, 100, 100, 100}},
    {"ACCELERATOR", {5, 5, 5, 5}},
}};

constexpr int kOtherKinds = 300;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

std::size_t FamilyIndex(WindowsFamily family) {
    switch (family) {
    case WindowsFamily::Win9x:
        return 0;
    case WindowsFamily::NT4:
        return 1;
    case WindowsFamily::Win2000:
        return 2;
    case WindowsFamily::XP:
        return 3;
    }
    return 3;
}

constexpr std::size_t Column(std::string_view name) {
    for (std::size_t i = 0; i < kObjectKindNames.size(); ++i)
        if (kObjectKindNames[i] == name)
            return i;
    return kObjectKindNames.size();
}

} // namespace

int DefaultCount(WindowsFamily family, std::string_view kindName) {
    for (const DefaultRow& row : kDefaults)
        if (EqualNoCase(row.name, kindName))
            return row.counts[FamilyIndex(family)];
    return kOtherKinds;
}

std::size_t ColumnOf(Creatable kind) {
    switch (kind) {
    case Creatable::MdiChild:
        return Column("MDICHILD");
    case Creatable::Icon:
        return Column("ICON");
    case Creatable::Cursor:
        return Column("CURSOR");
    case Creatable::GenericWindow:
        return Column("HWND");
    case Creatable::Font:
        return Column("FONT");
    case Creatable::Brush:
        return Column("BRUSH");
    case Creatable::Menu:
        return Column("HMENU");
    case Creatable::DeviceContext:
        return Column("DC");
    case Creatable::Region:
        return Column("REGION");
    case Creatable::Bitmap:
        return Column("SURFACE");
    case Creatable::Pen:
        return Column("PEN");
    case Creatable::AcceleratorTable:
        return Column("ACCELERATOR");
    }
    return kObjectKindNames.size();
}

} // namespace kf::resmon
