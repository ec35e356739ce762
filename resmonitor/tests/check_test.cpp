#include "fakeplatform.h"

#include "kf/resmon/check.h"
#include "kf/resmon/settings.h"

#include <gtest/gtest.h>

#include <map>

namespace kf::resmon {
namespace {

using testing::FakePlatform;
using C = Creatable;

const std::vector<Creatable> kAllKindsInOrder = {
    C::MdiChild, C::Icon,          C::Cursor, C::GenericWindow, C::Font, C::Brush,
    C::Menu,     C::DeviceContext, C::Region, C::Bitmap,        C::Pen,  C::AcceleratorTable,
};

// Sets every created kind of row 1 to a small count so order tests stay short.
void SmallRow(FakePlatform& fake, int count = 2) {
    for (auto name : {"MDICHILD", "ICON", "CURSOR", "HWND", "FONT", "BRUSH", "HMENU", "DC",
                      "REGION", "SURFACE", "PEN", "ACCELERATOR"})
        fake.Set("ResourceWindow_1", name, std::to_string(count));
}

int Count(const ResourceCheck& check, int row, std::string_view kind) {
    for (std::size_t c = 0; c < kObjectKindCount; ++c)
        if (kObjectKindNames[c] == kind)
            return check.rows()[static_cast<std::size_t>(row)][c].count;
    ADD_FAILURE() << "no kind " << kind;
    return -1;
}

struct MethodCase {
    WindowsFamily family;
    const char* setting; // nullptr: key missing
    bool loads;
    bool hasProcedure;
    Method expected;
};

TEST(ChooseMethod, ResourceMeterOnlyOn9xWhenAskedForAndAvailable) {
    const MethodCase cases[] = {
        {WindowsFamily::Win9x, nullptr, true, true, Method::Preallocation},
        {WindowsFamily::Win9x, "RESOURCE_PREALLOCATION", true, true, Method::Preallocation},
        {WindowsFamily::Win9x, "0", true, true, Method::Preallocation},
        {WindowsFamily::Win9x, "BEST_FIT", true, true, Method::ResourceMeter},
        {WindowsFamily::Win9x, "best_fit", true, true, Method::ResourceMeter},
        {WindowsFamily::Win9x, "1", true, true, Method::ResourceMeter},
        {WindowsFamily::Win9x, "BEST_FIT", false, true, Method::Preallocation},
        {WindowsFamily::Win9x, "BEST_FIT", true, false, Method::Preallocation},
        {WindowsFamily::NT4, "best_fit", true, true, Method::Preallocation},
        {WindowsFamily::Win2000, "1", true, true, Method::Preallocation},
        {WindowsFamily::XP, "BEST_FIT", true, true, Method::Preallocation},
    };
    for (const MethodCase& c : cases) {
        SCOPED_TRACE(c.setting ? c.setting : "(missing)");
        SCOPED_TRACE(static_cast<int>(c.family));
        FakePlatform fake;
        if (c.setting)
            fake.Set("ResourceMonitor", "DetectionMethod", c.setting);
        fake.libraryLoads = c.loads;
        fake.hasProcedure = c.hasProcedure;
        {
            ResourceCheck check(fake);
            EXPECT_EQ(check.ChooseMethod(c.family), c.expected);
            // A library is kept only while its procedure is in use.
            EXPECT_EQ(fake.openLibraries, c.expected == Method::ResourceMeter ? 1 : 0);
            bool readThreshold = false;
            for (auto& read : fake.reads)
                readThreshold |= read.second == "ResourceThreshold";
            EXPECT_EQ(readThreshold, c.expected == Method::ResourceMeter);
        }
        EXPECT_EQ(fake.openLibraries, 0) << "library left loaded";
        if (c.expected == Method::ResourceMeter) {
            EXPECT_EQ(fake.openedLibraries, std::vector<std::string>{"RSRC32.DLL"});
            EXPECT_EQ(fake.lookedUp, std::vector<std::string>{"_MyGetFreeSystemResources32@4"});
        }
        if (c.family != WindowsFamily::Win9x) {
            EXPECT_TRUE(fake.openedLibraries.empty());
        }
    }
}

TEST(ResourceMeter, BelowThresholdIsLow) {
    struct Case {
        const char* threshold;
        int percent;
        int expected;
    };
    const Case cases[] = {
        {"20", 19, kLowResources},       {"20", 20, kEnoughResources}, {nullptr, 19, kLowResources},
        {nullptr, 20, kEnoughResources}, {"50", 49, kLowResources},    {"0", 0, kEnoughResources},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        FakePlatform fake;
        fake.Set("ResourceMonitor", "DetectionMethod", "BEST_FIT");
        if (c.threshold)
            fake.Set("ResourceMonitor", "ResourceThreshold", c.threshold);
        fake.freePercent = c.percent;
        ResourceCheck check(fake);
        ASSERT_EQ(check.ChooseMethod(WindowsFamily::Win9x), Method::ResourceMeter);
        check.BuildRowTable(WindowsFamily::Win9x);
        EXPECT_EQ(check.Run(0), c.expected);
        EXPECT_EQ(fake.meterCalls, (std::vector<int>{0, 1, 2}));
        EXPECT_TRUE(fake.events.empty()) << "the meter method creates no objects";
    }
}

TEST(RowTable, DefaultsOfEachFamily) {
    struct Case {
        WindowsFamily family;
        int mdiChildren;
    };
    for (Case c : {Case{WindowsFamily::Win9x, 300}, Case{WindowsFamily::NT4, 200},
                   Case{WindowsFamily::Win2000, 200}, Case{WindowsFamily::XP, 80}}) {
        SCOPED_TRACE(static_cast<int>(c.family));
        FakePlatform fake;
        ResourceCheck check(fake);
        check.BuildRowTable(c.family);
        ASSERT_EQ(check.rows().size(), 10u);
        for (int row : {0, 9}) {
            EXPECT_EQ(Count(check, row, "MDICHILD"), c.mdiChildren);
            EXPECT_EQ(Count(check, row, "HWND"), 600);
            EXPECT_EQ(Count(check, row, "HMENU"), 30);
            EXPECT_EQ(Count(check, row, "ICON"), 10);
            EXPECT_EQ(Count(check, row, "SURFACE"), 100);
            EXPECT_EQ(Count(check, row, "REGION"), 5);
            EXPECT_EQ(Count(check, row, "ACCELERATOR"), 5);
            // Kinds outside the table.
            EXPECT_EQ(Count(check, row, "HOOK"), 300);
            EXPECT_EQ(Count(check, row, "SPOOLDATA"), 300);
        }
    }
    // Every one of the 28 kinds is read from every one of the ten sections.
    FakePlatform fake;
    ResourceCheck check(fake);
    check.BuildRowTable(WindowsFamily::XP);
    std::set<std::pair<std::string, std::string>> reads(fake.reads.begin(), fake.reads.end());
    EXPECT_TRUE(reads.count({"ResourceWindow_10", "PEN"}));
    EXPECT_TRUE(reads.count({"ResourceWindow_1", "DEFERWNDPOS"}));
    EXPECT_TRUE(reads.count({"ResourceMonitor", "MagnifyingFactor"}));
    EXPECT_EQ(reads.size(), 10u * 28u + 1u);
}

TEST(RowTable, RowValuesOverrideDefaultsUnlessZeroOrNotNumeric) {
    FakePlatform fake;
    for (std::string_view name : kObjectKindNames)
        fake.Set("ResourceWindow_3", std::string(name), "7");
    fake.Set("ResourceWindow_2", "HWND", "0");
    fake.Set("ResourceWindow_2", "FONT", "many");
    fake.Set("ResourceWindow_2", "PEN", "12");
    fake.Set("ResourceWindow_2", "BRUSH", "-4");
    ResourceCheck check(fake);
    check.BuildRowTable(WindowsFamily::Win2000);
    for (std::string_view name : kObjectKindNames)
        EXPECT_EQ(Count(check, 2, name), 7) << name;
    EXPECT_EQ(Count(check, 1, "HWND"), 600);
    EXPECT_EQ(Count(check, 1, "FONT"), 50);
    EXPECT_EQ(Count(check, 1, "PEN"), 12);
    EXPECT_EQ(Count(check, 1, "BRUSH"), 0) << "a negative count asks for nothing";
    EXPECT_EQ(Count(check, 0, "PEN"), 20);
}

TEST(RowTable, MagnifyingFactor) {
    struct Case {
        const char* factor;
        int multiplier;
    };
    for (Case c :
         {Case{"3", 3}, Case{"-1", 2}, Case{"-7", 2}, Case{"0", 0}, Case{"1", 1}, Case{"x", 1}}) {
        SCOPED_TRACE(c.factor);
        FakePlatform fake;
        fake.Set("ResourceMonitor", "MagnifyingFactor", c.factor);
        fake.Set("ResourceWindow_1", "PEN", "4");
        ResourceCheck check(fake);
        check.BuildRowTable(WindowsFamily::NT4);
        EXPECT_EQ(Count(check, 0, "PEN"), 4 * c.multiplier);
        EXPECT_EQ(Count(check, 0, "MDICHILD"), 200 * c.multiplier);
        EXPECT_EQ(Count(check, 5, "HOOK"), 300 * c.multiplier);
    }
}

TEST(Check, Windows2000DefaultsCreateAndReleaseEveryObject) {
    FakePlatform fake;
    ResourceCheck check(fake);
    ASSERT_EQ(check.ChooseMethod(WindowsFamily::Win2000), Method::Preallocation);
    check.BuildRowTable(WindowsFamily::Win2000);
    EXPECT_EQ(check.Run(0), kEnoughResources);
    const std::map<Creatable, int> expected = {
        {C::GenericWindow, 600}, {C::MdiChild, 200}, {C::Menu, 30},
        {C::Icon, 10},           {C::Cursor, 10},    {C::DeviceContext, 20},
        {C::Font, 50},           {C::Brush, 20},     {C::Pen, 20},
        {C::Region, 5},          {C::Bitmap, 100},   {C::AcceleratorTable, 5},
    };
    for (auto [kind, count] : expected)
        EXPECT_EQ(fake.Created(kind), count) << static_cast<int>(kind);
    EXPECT_TRUE(fake.alive.empty());
    EXPECT_EQ(fake.badDestroys, 0);
    EXPECT_EQ(fake.beeps, 0);
    EXPECT_EQ(fake.Order(true), kAllKindsInOrder);
    EXPECT_EQ(fake.Order(false), kAllKindsInOrder);
    // The slots are empty again, so a second check does the same.
    for (const RowEntry& entry : check.rows()[0])
        for (Handle h : entry.slots)
            ASSERT_EQ(h, 0u);
    fake.events.clear();
    EXPECT_EQ(check.Run(0), kEnoughResources);
    EXPECT_EQ(fake.Created(C::GenericWindow), 600);
}

TEST(Check, FactorZeroCreatesNothingAndSucceeds) {
    FakePlatform fake;
    fake.Set("ResourceMonitor", "MagnifyingFactor", "0");
    ResourceCheck check(fake);
    check.BuildRowTable(WindowsFamily::XP);
    for (int row = 0; row < 10; ++row)
        EXPECT_EQ(check.Run(row), kEnoughResources);
    EXPECT_TRUE(fake.events.empty());
    EXPECT_EQ(fake.beeps, 0);
}

TEST(Check, OtherRowsUseTheirOwnSection) {
    FakePlatform fake;
    fake.Set("ResourceWindow_4", "HWND", "3");
    ResourceCheck check(fake);
    check.BuildRowTable(WindowsFamily::XP);
    check.Run(3);
    EXPECT_EQ(fake.Created(C::GenericWindow), 3);
    EXPECT_EQ(fake.Created(C::MdiChild), 80);
}

struct FailureCase {
    const char* name;
    std::map<Creatable, int> limit;
    int result;
    int beeps;
    std::vector<Creatable> tried;
};

TEST(Check, StopRulesResultAndBeeps) {
    const std::vector<Creatable> all = kAllKindsInOrder;
    const FailureCase cases[] = {
        {"fonts fail",
         {{C::Font, 1}},
         kLowResources,
         1,
         {C::MdiChild, C::Icon, C::Cursor, C::GenericWindow, C::Font}},
        {"first window fails",
         {{C::GenericWindow, 0}},
         kLowResources,
         1,
         {C::MdiChild, C::Icon, C::Cursor}},
        {"only icons fail",
         {{C::Icon, 0}},
         kEnoughResources,
         1,
         {C::MdiChild, C::Cursor, C::GenericWindow, C::Font, C::Brush, C::Menu, C::DeviceContext,
          C::Region, C::Bitmap, C::Pen, C::AcceleratorTable}},
        {"icons and cursors fail", {{C::Icon, 1}, {C::Cursor, 1}}, kEnoughResources, 2, all},
        {"cursors and fonts fail",
         {{C::Cursor, 0}, {C::Font, 0}},
         kLowResources,
         2,
         {C::MdiChild, C::Icon, C::GenericWindow}},
        {"MDI children fail", {{C::MdiChild, 1}}, kLowResources, 1, all},
        {"accelerator tables fail", {{C::AcceleratorTable, 1}}, kLowResources, 1, all},
        {"bitmaps fail",
         {{C::Bitmap, 0}},
         kLowResources,
         1,
         {C::MdiChild, C::Icon, C::Cursor, C::GenericWindow, C::Font, C::Brush, C::Menu,
          C::DeviceContext, C::Region}},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        SmallRow(fake, 3);
        fake.limit = c.limit;
        ResourceCheck check(fake);
        check.BuildRowTable(WindowsFamily::XP);
        EXPECT_EQ(check.Run(0), c.result);
        EXPECT_EQ(fake.beeps, c.beeps);
        EXPECT_EQ(fake.Order(true), c.tried);
        // A kind stops at its first failure: at most limit objects, one failed try.
        for (auto [kind, max] : c.limit) {
            EXPECT_LE(fake.Created(kind), max);
            EXPECT_LE(fake.failures[kind], 1);
        }
        EXPECT_TRUE(fake.alive.empty()) << "objects left behind";
        EXPECT_EQ(fake.badDestroys, 0);
        EXPECT_EQ(fake.Order(false), fake.Order(true)) << "release order";
    }
}

TEST(Check, RowsOutsideTheTableCreateNothing) {
    FakePlatform fake;
    ResourceCheck check(fake);
    for (int row : {-1, 10, 1000})
        EXPECT_EQ(check.Run(row), kLowResources) << "before the table is built";
    check.BuildRowTable(WindowsFamily::XP);
    for (int row : {-1, 10, 1000})
        EXPECT_EQ(check.Run(row), kLowResources);
    check.FreeRowTable();
    EXPECT_EQ(check.Run(0), kLowResources);
    EXPECT_TRUE(fake.events.empty());
    EXPECT_EQ(fake.beeps, 0);
}

TEST(Check, CountsTooLargeToReserveFailWithoutCreating) {
    FakePlatform fake;
    SmallRow(fake, 1);
    fake.Set("ResourceWindow_1", "FONT", "2000000000");
    fake.Set("ResourceMonitor", "MagnifyingFactor", "3"); // beyond 32 bits once multiplied
    fake.Set("ResourceWindow_2", "ICON", std::to_string(kMaxObjectsPerKind + 1));
    ResourceCheck check(fake);
    check.BuildRowTable(WindowsFamily::XP);
    EXPECT_EQ(Count(check, 0, "FONT"), INT32_MAX);
    EXPECT_EQ(check.Run(0), kLowResources);
    EXPECT_EQ(fake.Created(C::Font), 0);
    EXPECT_EQ(fake.Created(C::Brush), 0);
    EXPECT_EQ(fake.Created(C::GenericWindow), 3);

    fake.events.clear();
    fake.beeps = 0;
    EXPECT_EQ(check.Run(1), kEnoughResources) << "icons only beep";
    EXPECT_EQ(fake.Created(C::Icon), 0);
    EXPECT_EQ(fake.beeps, 1);
}

} // namespace
} // namespace kf::resmon
