#pragma once
// The resource check: either the resource meter's percentage against a threshold, or the
// preallocation of a row's objects, which are released again at once.

#include "kf/resmon/objectkinds.h"
#include "kf/resmon/platform.h"
#include "kf/resmon/windowsfamily.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kf::resmon {

inline constexpr int kEnoughResources = 0;
inline constexpr int kLowResources = 2;

inline constexpr const char* kResourceMeterLibrary = "RSRC32.DLL";
inline constexpr const char* kResourceMeterProcedure = "_MyGetFreeSystemResources32@4";

// USER and GDI handle tables have 16-bit indexes, so no more objects of one kind can exist.
// A larger count gets no slots and its kind counts as failed, so a huge count cannot
// exhaust our own memory first.
inline constexpr std::int32_t kMaxObjectsPerKind = 1 << 16;

enum class Method { Preallocation, ResourceMeter };

struct RowEntry {
    std::int32_t count = 0;    // already multiplied; never negative
    std::vector<Handle> slots; // count slots, all 0 between checks
    bool reserved = true;      // false when the slots could not be allocated
};

using Row = std::array<RowEntry, kObjectKindCount>;

class ResourceCheck {
public:
    explicit ResourceCheck(CheckPlatform& platform) : platform_(platform) {}
    ~ResourceCheck();
    ResourceCheck(const ResourceCheck&) = delete;
    ResourceCheck& operator=(const ResourceCheck&) = delete;

    // The resource meter on Windows 9x when the settings ask for it and its library has the
    // procedure; the preallocation otherwise.
    Method ChooseMethod(WindowsFamily family);

    void BuildRowTable(WindowsFamily family);
    void FreeRowTable();

    // A check of row 0 to 9; kEnoughResources or kLowResources. A row outside the table
    // creates nothing and gives kLowResources, as nothing could be shown to be available.
    int Run(int row);

    Method method() const { return method_; }
    int threshold() const { return threshold_; }
    const std::vector<Row>& rows() const { return rows_; }

private:
    bool Fill(RowEntry& entry, Creatable kind);
    void Release(RowEntry& entry, Creatable kind);
    int RunPreallocation(Row& row);

    CheckPlatform& platform_;
    Method method_ = Method::Preallocation;
    int threshold_ = 20;
    Handle library_ = 0;
    ResourceMeterProc meter_;
    std::vector<Row> rows_;
};

} // namespace kf::resmon
