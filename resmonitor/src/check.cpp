#include "kf/resmon/check.h"

#include "kf/resmon/settings.h"

#include <algorithm>
#include <cctype>
#include <new>

namespace kf::resmon {
namespace {

// Creation and release order of a preallocation check.
constexpr std::array<Creatable, 12> kOrder = {
    Creatable::MdiChild, Creatable::Icon,   Creatable::Cursor, Creatable::GenericWindow,
    Creatable::Font,     Creatable::Brush,  Creatable::Menu,   Creatable::DeviceContext,
    Creatable::Region,   Creatable::Bitmap, Creatable::Pen,    Creatable::AcceleratorTable,
};

// The kinds whose failure makes resources low and stops the kinds after them.
constexpr std::array<Creatable, 9> kDecisive = {
    Creatable::GenericWindow, Creatable::Font,          Creatable::Brush,
    Creatable::Menu,          Creatable::DeviceContext, Creatable::Region,
    Creatable::Bitmap,        Creatable::Pen,           Creatable::AcceleratorTable,
};

bool IsCreated(std::size_t column) {
    return std::ranges::any_of(kOrder, [column](Creatable k) { return ColumnOf(k) == column; });
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

int ReadNumber(CheckPlatform& platform, const std::string& section, const char* key,
               const char* defaultText, int fallback) {
    return ParseDecimal(platform.ReadProfileString(section, key, defaultText)).value_or(fallback);
}

} // namespace

ResourceCheck::~ResourceCheck() {
    FreeRowTable();
    if (library_ != 0)
        platform_.CloseLibrary(library_);
}

Method ResourceCheck::ChooseMethod(WindowsFamily family) {
    method_ = Method::Preallocation;
    if (family != WindowsFamily::Win9x)
        return method_;
    std::string wanted = Upper(platform_.ReadProfileString(kMonitorSection, kDetectionMethodKey,
                                                           "RESOURCE_PREALLOCATION"));
    if (wanted != "BEST_FIT" && wanted != "1")
        return method_;
    Handle library = platform_.OpenLibrary(kResourceMeterLibrary);
    if (library == 0)
        return method_;
    ResourceMeterProc meter = platform_.LookUpProcedure(library, kResourceMeterProcedure);
    if (!meter) {
        platform_.CloseLibrary(library);
        return method_;
    }
    if (library_ != 0)
        platform_.CloseLibrary(library_);
    library_ = library;
    meter_ = std::move(meter);
    threshold_ = ReadNumber(platform_, kMonitorSection, kResourceThresholdKey, "20", 20);
    method_ = Method::ResourceMeter;
    return method_;
}

void ResourceCheck::BuildRowTable(WindowsFamily family) {
    FreeRowTable();
    std::int64_t factor = ReadNumber(platform_, kMonitorSection, kMagnifyingFactorKey, "1", 1);
    if (factor < 0)
        factor = 2;
    rows_.resize(kRowCount);
    for (int r = 0; r < kRowCount; ++r) {
        std::string section = RowSection(r + 1);
        for (std::size_t column = 0; column < kObjectKindCount; ++column) {
            std::string name(kObjectKindNames[column]);
            std::int64_t count =
                ParseDecimal(platform_.ReadProfileString(section, name, "")).value_or(0);
            if (count == 0)
                count = DefaultCount(family, name);
            // A negative count asks for nothing.
            count = std::max<std::int64_t>(count * factor, 0);
            RowEntry& entry = rows_[static_cast<std::size_t>(r)][column];
            entry.count = static_cast<std::int32_t>(std::min<std::int64_t>(count, INT32_MAX));
            // Only the kinds a check creates need slots.
            if (!IsCreated(column) || count == 0)
                continue;
            if (count > kMaxObjectsPerKind) {
                entry.reserved = false;
                continue;
            }
            try {
                entry.slots.assign(static_cast<std::size_t>(count), 0);
            } catch (const std::bad_alloc&) {
                entry.reserved = false;
            }
        }
    }
}

void ResourceCheck::FreeRowTable() {
    rows_.clear();
    rows_.shrink_to_fit();
}

int ResourceCheck::Run(int row) {
    if (method_ == Method::ResourceMeter) {
        int percent = meter_(0);
        // The meter is asked for all three figures; only the first counts.
        meter_(1);
        meter_(2);
        return percent < threshold_ ? kLowResources : kEnoughResources;
    }
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return kLowResources;
    return RunPreallocation(rows_[static_cast<std::size_t>(row)]);
}

bool ResourceCheck::Fill(RowEntry& entry, Creatable kind) {
    if (!entry.reserved)
        return false;
    for (Handle& slot : entry.slots) {
        slot = platform_.CreateObject(kind);
        if (slot == 0)
            return false;
    }
    return true;
}

void ResourceCheck::Release(RowEntry& entry, Creatable kind) {
    for (Handle& slot : entry.slots) {
        if (slot == 0)
            break; // a kind stops at its first failure, so nothing follows
        platform_.DestroyObject(kind, slot);
        slot = 0;
    }
}

int ResourceCheck::RunPreallocation(Row& row) {
    auto entry = [&row](Creatable kind) -> RowEntry& { return row[ColumnOf(kind)]; };

    bool low = !Fill(entry(Creatable::MdiChild), Creatable::MdiChild);
    if (!Fill(entry(Creatable::Icon), Creatable::Icon))
        platform_.SoundBeep();
    if (!Fill(entry(Creatable::Cursor), Creatable::Cursor))
        platform_.SoundBeep();
    for (Creatable kind : kDecisive) {
        if (!Fill(entry(kind), kind)) {
            low = true;
            break;
        }
    }

    for (Creatable kind : kOrder)
        Release(entry(kind), kind);

    if (low)
        platform_.SoundBeep();
    return low ? kLowResources : kEnoughResources;
}

} // namespace kf::resmon
