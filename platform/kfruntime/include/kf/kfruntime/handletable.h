#pragma once
// The values behind handles. Handles are numbered in rising order, so the handles of one call
// lie next to each other: they are kept in pages of consecutive numbers, and finding one is an
// index into the page found last. A page goes when its last value does; the one that went last
// is kept for the next page, since a call that makes and drops a few handles would otherwise
// make and drop a whole page each time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

namespace kf::rt {

template <class Handle, class Entry>
class HandleTable {
 public:
  Entry* Find(Handle h) const {
    Page* page = PageOf(h);
    if (page == nullptr) return nullptr;
    std::optional<Entry>& slot = page->slots[h & kSlotMask];
    return slot ? &*slot : nullptr;
  }
  bool Contains(Handle h) const { return Find(h) != nullptr; }

  // `h` must not be in the table.
  void Insert(Handle h, Entry entry) {
    Page* page = PageOf(h);
    if (page == nullptr) {
      std::unique_ptr<Page> made = spare_ ? std::move(spare_) : std::make_unique<Page>();
      page = made.get();
      pages_.emplace(h >> kPageBits, std::move(made));
      lastKey_ = h >> kPageBits;
      last_ = page;
    }
    page->slots[h & kSlotMask].emplace(std::move(entry));
    ++page->live;
    ++size_;
  }

  // Removes the value and hands it back; nothing when `h` is not in the table.
  std::optional<Entry> Take(Handle h) {
    Page* page = PageOf(h);
    if (page == nullptr) return std::nullopt;
    std::optional<Entry>& slot = page->slots[h & kSlotMask];
    if (!slot) return std::nullopt;
    std::optional<Entry> taken(std::move(slot));
    slot.reset();
    --size_;
    if (--page->live == 0) {
      if (last_ == page) last_ = nullptr;
      auto it = pages_.find(h >> kPageBits);
      spare_ = std::move(it->second);  // every slot is empty
      pages_.erase(it);
    }
    return taken;
  }

  std::size_t size() const { return size_; }

  // Values that end may call back in: the table is empty before they go.
  void clear() {
    auto dying = std::move(pages_);
    pages_.clear();
    last_ = nullptr;
    size_ = 0;
  }

 private:
  static constexpr unsigned kPageBits = 8;
  static constexpr Handle kSlotMask = (Handle{1} << kPageBits) - 1;
  struct Page {
    std::array<std::optional<Entry>, std::size_t{1} << kPageBits> slots;
    std::size_t live = 0;
  };

  Page* PageOf(Handle h) const {
    const Handle key = h >> kPageBits;
    if (last_ != nullptr && lastKey_ == key) return last_;
    auto it = pages_.find(key);
    if (it == pages_.end()) return nullptr;
    lastKey_ = key;
    last_ = it->second.get();
    return last_;
  }

  std::unordered_map<Handle, std::unique_ptr<Page>> pages_;
  std::unique_ptr<Page> spare_;
  mutable Handle lastKey_ = 0;
  mutable Page* last_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace kf::rt
