#include "kf/kfruntime/handletable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kf::rt {
namespace {

using Table = HandleTable<std::uint32_t, std::string>;

TEST(HandleTable, KeepsValuesAcrossPagesAndFreesThemOnce) {
  Table table;
  // Numbers on both sides of page boundaries, and one far away.
  const std::uint32_t handles[] = {1, 255, 256, 257, 511, 512, 0xFFFFFFFFu};
  for (std::uint32_t h : handles) table.Insert(h, std::to_string(h));
  EXPECT_EQ(table.size(), std::size(handles));
  for (std::uint32_t h : handles) {
    ASSERT_NE(table.Find(h), nullptr) << h;
    EXPECT_EQ(*table.Find(h), std::to_string(h));
  }
  EXPECT_FALSE(table.Contains(2));
  EXPECT_FALSE(table.Contains(258));

  EXPECT_EQ(table.Take(256), "256");
  EXPECT_FALSE(table.Take(256).has_value());
  EXPECT_EQ(table.Take(257), "257");
  EXPECT_EQ(table.Take(511), "511");  // the page of 256..511 is now empty and gone
  EXPECT_FALSE(table.Contains(300));
  EXPECT_EQ(*table.Find(255), "255");
  EXPECT_EQ(table.size(), 4u);

  table.Insert(300, "again");  // a page made afresh after its last value went
  EXPECT_EQ(*table.Find(300), "again");
  EXPECT_EQ(table.size(), 5u);
}

TEST(HandleTable, ValuesThatEndSeeAnEmptyTable) {
  using Callback = HandleTable<std::uint32_t, std::function<void()>>;
  struct Probe {
    Callback* table = nullptr;
    std::size_t* seen = nullptr;
    ~Probe() {
      if (table != nullptr) *seen = table->size() + (table->Contains(7) ? 100 : 0);
    }
  };
  Callback table;
  std::size_t seen = 99;
  auto probe = std::make_shared<Probe>();
  probe->table = &table;
  probe->seen = &seen;
  table.Insert(7, [probe] {});
  table.Insert(8, [] {});
  probe.reset();
  table.clear();
  EXPECT_EQ(seen, 0u);
  EXPECT_EQ(table.size(), 0u);
}

}  // namespace
}  // namespace kf::rt
