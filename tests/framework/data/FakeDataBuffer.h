// A minimal counted data buffer for the container tests: a shared byte store,
// copy-on-write on ByteModify, and a fixed item size.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

struct TFakeBuffer;
using TFakeBufferPtr = std::shared_ptr<TFakeBuffer>;

struct TFakeBuffer {
  std::shared_ptr<std::vector<uint8_t>> store;
  uint32_t itemSize = 1;
  int tag = 0;        // identifies the buffer a copy came from
  uint32_t guard = 0; // bytes kept after the buffer's end, not part of it

  static TFakeBufferPtr Make(uint32_t items, uint32_t itemSize = 1, int tag = 0) {
    auto b = std::make_shared<TFakeBuffer>();
    b->store = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(items) * itemSize);
    b->itemSize = itemSize;
    b->tag = tag;
    return b;
  }
  // Items 0, 1, 2 ... holding first, first+1, ... in every byte of the item.
  static TFakeBufferPtr Counting(uint32_t items, uint8_t first, uint32_t itemSize = 1) {
    TFakeBufferPtr b = Make(items, itemSize, first);
    for (uint32_t i = 0; i < items; ++i)
      std::memset(b->store->data() + static_cast<size_t>(i) * itemSize, first + i, itemSize);
    return b;
  }

  TFakeBufferPtr MakeCopy() const {
    auto b = std::make_shared<TFakeBuffer>(*this);
    return b;
  }
  // Puts count bytes of value after the buffer's end, so a reader that runs
  // past it picks them up.
  void AddGuard(uint32_t count, uint8_t value) {
    store->insert(store->end(), count, value);
    guard += count;
  }
  uint32_t GetSize() const { return GetByteSize() / itemSize; }
  uint32_t GetByteSize() const { return static_cast<uint32_t>(store->size()) - guard; }
  const uint8_t *ByteRead() const { return store->data(); }
  uint8_t *ByteModify() {
    if (store.use_count() > 1)
      store = std::make_shared<std::vector<uint8_t>>(*store);
    return store->data();
  }
  // First byte of every item.
  std::vector<int> Items() const {
    std::vector<int> v;
    for (uint32_t i = 0; i < GetSize(); ++i)
      v.push_back(store->at(static_cast<size_t>(i) * itemSize));
    return v;
  }
};
