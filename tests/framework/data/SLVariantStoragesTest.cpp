#include <gtest/gtest.h>

#include "framework/data/SLVariantStorages.h"
#include "tests/framework/data/FakeDataBuffer.h"

using TList = TSLBufferListT<TFakeBufferPtr>;
using TStampList = TSLBufferStampListT<TFakeBufferPtr>;
using TQueue = TSLBufferQueueT<TFakeBufferPtr>;

TEST(TSLBufferList, AddWithoutForceStoresOnlyIntoAnEmptyList) {
  TList list;
  list.Add(TFakeBuffer::Make(4, 1, 1), false);
  list.Add(TFakeBuffer::Make(4, 1, 2), false);
  EXPECT_EQ(list.GetCount(), 1);
  list.Add(TFakeBuffer::Make(4, 1, 3), true);
  EXPECT_EQ(list.GetCount(), 2);
  TFakeBufferPtr b;
  ASSERT_TRUE(list.PopFirst(b));
  EXPECT_EQ(b->tag, 1);
  ASSERT_TRUE(list.PopFirst(b));
  EXPECT_EQ(b->tag, 3);
}

TEST(TSLBufferList, StoresACopySharingTheSamplesUntilOneSideWrites) {
  TList list;
  TFakeBufferPtr original = TFakeBuffer::Counting(3, 10);
  list.Add(original, true);
  TFakeBufferPtr stored;
  ASSERT_TRUE(list.GetVarItem(0, stored));
  EXPECT_NE(stored, original);
  EXPECT_EQ(stored->ByteRead(), original->ByteRead());
  original->ByteModify()[0] = 99;
  EXPECT_EQ(stored->Items(), (std::vector<int>{10, 11, 12}));
}

TEST(TSLBufferList, PopFirstGivesTheOldestAndPopLastTheNewest) {
  TList list;
  for (int tag : {1, 2, 3})
    list.Add(TFakeBuffer::Make(1, 1, tag), true);
  TFakeBufferPtr b;
  ASSERT_TRUE(list.PopFirst(b));
  EXPECT_EQ(b->tag, 1);
  ASSERT_TRUE(list.PopLast(b));
  EXPECT_EQ(b->tag, 3);
  EXPECT_EQ(list.GetCount(), 1);
}

TEST(TSLBufferList, PopsOnAnEmptyListFailAndLeaveTheBufferAlone) {
  TList list;
  TFakeBufferPtr b = TFakeBuffer::Make(1, 1, 7);
  EXPECT_FALSE(list.PopFirst(b));
  EXPECT_FALSE(list.PopLast(b));
  EXPECT_EQ(b->tag, 7);
  list.Add(nullptr, true);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(TSLBufferList, DeleteAndGetVarItemOutsideTheListChangeNothing) {
  TList list;
  list.Add(TFakeBuffer::Make(1, 1, 1), true);
  list.Add(TFakeBuffer::Make(1, 1, 2), true);
  list.Delete(-1);
  list.Delete(2);
  EXPECT_EQ(list.GetCount(), 2);
  TFakeBufferPtr b;
  EXPECT_FALSE(list.GetVarItem(2, b));
  EXPECT_FALSE(b);
  list.Delete(0);
  ASSERT_TRUE(list.GetVarItem(0, b));
  EXPECT_EQ(b->tag, 2);
  // The list's section is free again after the failed deletes.
  list.Clear();
  EXPECT_FALSE(list.HasData());
}

TEST(TSLBufferList, RemovingAnItemReleasesItsBuffer) {
  TList list;
  TFakeBufferPtr original = TFakeBuffer::Make(2);
  list.Add(original, true);
  list.Add(original, true);
  EXPECT_EQ(original->store.use_count(), 3);
  list.Delete(0);
  EXPECT_EQ(original->store.use_count(), 2);
  list.Clear();
  EXPECT_EQ(original->store.use_count(), 1);
}

TEST(TSLBufferStampList, KeepsTwoStampsPerBufferAndAlwaysAdds) {
  TStampList list;
  list.Add(TFakeBuffer::Make(1, 1, 1), 10, -10);
  list.Add(TFakeBuffer::Make(1, 1, 2), 20, -20);
  list.Add(TFakeBuffer::Make(1, 1, 3), 30, -30);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_TRUE(list.HasData());
  TFakeBufferPtr b;
  int64_t s1 = 0, s2 = 0;
  ASSERT_TRUE(list.GetVarItem(1, b, s1, s2));
  EXPECT_EQ(b->tag, 2);
  EXPECT_EQ(s1, 20);
  ASSERT_TRUE(list.PopLast(b, s1, s2));
  EXPECT_EQ(b->tag, 3);
  EXPECT_EQ(s2, -30);
  ASSERT_TRUE(list.PopFirst(b, s1, s2));
  EXPECT_EQ(b->tag, 1);
  EXPECT_EQ(s1, 10);
  list.Clear();
  EXPECT_FALSE(list.PopFirst(b, s1, s2));
  EXPECT_EQ(b->tag, 1);
}

TEST(TSLBufferQueue, APopCrossesBufferBoundariesAndAShortPopChangesNothing) {
  TQueue queue;
  queue.Push(TFakeBuffer::Counting(3, 0));
  queue.Push(TFakeBuffer::Counting(5, 10));
  EXPECT_EQ(queue.GetAvailable(), 8u);
  TFakeBufferPtr four = TFakeBuffer::Make(4);
  ASSERT_TRUE(queue.Pop(four));
  EXPECT_EQ(four->Items(), (std::vector<int>{0, 1, 2, 10}));
  EXPECT_EQ(queue.GetAvailable(), 4u);
  TFakeBufferPtr five = TFakeBuffer::Counting(5, 50);
  EXPECT_FALSE(queue.Pop(five));
  EXPECT_EQ(five->Items(), (std::vector<int>{50, 51, 52, 53, 54}));
  EXPECT_EQ(queue.GetAvailable(), 4u);
  TFakeBufferPtr rest = TFakeBuffer::Make(4);
  ASSERT_TRUE(queue.Pop(rest));
  EXPECT_EQ(rest->Items(), (std::vector<int>{11, 12, 13, 14}));
  EXPECT_EQ(queue.GetAvailable(), 0u);
}

TEST(TSLBufferQueue, ItemsAreCountedInItemsNotBytes) {
  // Real samples are 8 bytes each: a pop of 3 items must move 24 bytes and
  // take the second sample onwards from the right byte offset.
  TQueue queue;
  queue.Push(TFakeBuffer::Counting(2, 1, 8));
  queue.Push(TFakeBuffer::Counting(3, 5, 8));
  TFakeBufferPtr three = TFakeBuffer::Make(3, 8);
  ASSERT_TRUE(queue.Pop(three));
  EXPECT_EQ(three->Items(), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(std::vector<uint8_t>(three->ByteRead() + 16, three->ByteRead() + 24),
            std::vector<uint8_t>(8, 5));
  TFakeBufferPtr two = TFakeBuffer::Make(2, 8);
  ASSERT_TRUE(queue.Pop(two));
  EXPECT_EQ(two->Items(), (std::vector<int>{6, 7}));
}

// Buffers of another item size in one queue: every item keeps its place and
// gets the bytes both sizes have in common; neither buffer is read or written
// past its end (the guard bytes after each one must never show up).
struct MixedSizeCase {
  uint32_t storedItemSize, poppedItemSize;
};

class TSLBufferQueueMixedSizes : public ::testing::TestWithParam<MixedSizeCase> {};

TEST_P(TSLBufferQueueMixedSizes, ItemsKeepTheirPlaceAndNoBufferIsOverrun) {
  const MixedSizeCase c = GetParam();
  TQueue queue;
  TFakeBufferPtr stored = TFakeBuffer::Counting(3, 1, c.storedItemSize);
  stored->AddGuard(64, 0xEE);
  queue.Push(stored);
  TFakeBufferPtr popped = TFakeBuffer::Make(3, c.poppedItemSize);
  popped->AddGuard(64, 0xDD);
  ASSERT_TRUE(queue.Pop(popped));
  EXPECT_EQ(popped->Items(), (std::vector<int>{1, 2, 3}));
  const uint8_t *bytes = popped->ByteRead();
  for (uint32_t i = 0; i < popped->GetByteSize(); ++i)
    ASSERT_NE(bytes[i], 0xEE) << "read past the stored buffer at byte " << i;
  for (uint32_t i = popped->GetByteSize(); i < popped->GetByteSize() + 64; ++i)
    ASSERT_EQ(bytes[i], 0xDD) << "wrote past the popped buffer at byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Rows, TSLBufferQueueMixedSizes,
                         ::testing::Values(MixedSizeCase{1, 8},   // narrower stored items
                                           MixedSizeCase{8, 1},   // wider stored items
                                           MixedSizeCase{4, 16}), // integers into complex
                         [](const auto &info) {
                           return "Stored" + std::to_string(info.param.storedItemSize) + "Popped" +
                                  std::to_string(info.param.poppedItemSize);
                         });

TEST(TSLBufferQueue, HoldsThePushedBuffersThemselves) {
  TQueue queue;
  TFakeBufferPtr pushed = TFakeBuffer::Counting(2, 1);
  queue.Push(pushed);
  pushed->store->at(1) = 42; // written after the push, without copying
  TFakeBufferPtr out = TFakeBuffer::Make(2);
  ASSERT_TRUE(queue.Pop(out));
  EXPECT_EQ(out->Items(), (std::vector<int>{1, 42}));
}

TEST(TSLBufferQueue, PopGivesTheCallerItsOwnStoreBeforeWriting) {
  TQueue queue;
  queue.Push(TFakeBuffer::Counting(2, 1));
  TFakeBufferPtr out = TFakeBuffer::Make(2);
  TFakeBufferPtr sharer = out->MakeCopy();
  ASSERT_TRUE(queue.Pop(out));
  EXPECT_EQ(out->Items(), (std::vector<int>{1, 2}));
  EXPECT_EQ(sharer->Items(), (std::vector<int>{0, 0}));
}

TEST(TSLBufferQueue, ClearEmptiesTheQueue) {
  TQueue queue;
  queue.Push(TFakeBuffer::Counting(3, 0));
  TFakeBufferPtr one = TFakeBuffer::Make(1);
  ASSERT_TRUE(queue.Pop(one));
  queue.Clear();
  EXPECT_EQ(queue.GetAvailable(), 0u);
  EXPECT_FALSE(queue.Pop(one));
  queue.Push(TFakeBuffer::Counting(1, 9));
  ASSERT_TRUE(queue.Pop(one));
  EXPECT_EQ(one->Items(), (std::vector<int>{9}));
}

// ---- over the system's own buffers -------------------------------------------

namespace {

com::TComPtr<TSLRealBuffer> Real(std::vector<double> values) {
  return com::MakeCom<TSLRealBuffer>(values.data(), static_cast<uint32_t>(values.size()));
}

std::vector<double> Values(const ISLDataBufferPtr &b) {
  auto real = com::TComPtr<ISLRealBuffer>::Query(b);
  return std::vector<double>(real->Read(), real->Read() + real->GetSize());
}

// Every test leaves no buffer and no store behind.
class DataBufferStorages : public ::testing::Test {
protected:
  void SetUp() override {
    stores_ = _SLCountStores.load();
    buffers_ = _SLCountPasBuffers.load();
  }
  void TearDown() override {
    EXPECT_EQ(_SLCountStores.load(), stores_);
    EXPECT_EQ(_SLCountPasBuffers.load(), buffers_);
  }
  int32_t stores_ = 0, buffers_ = 0;
};

} // namespace

TEST_F(DataBufferStorages, ABufferQueueOfRealsPopsWholeSamplesAcrossBuffers) {
  TSLBufferQueue queue;
  queue.Push(Real({1, 2}));
  queue.Push(Real({5, 6, 7}));
  ISLDataBufferPtr three = Real({0, 0, 0});
  ASSERT_TRUE(queue.Pop(three));
  EXPECT_EQ(Values(three), (std::vector<double>{1, 2, 5}));
  EXPECT_EQ(queue.GetAvailable(), 2u);
  ISLDataBufferPtr two = Real({0, 0});
  ASSERT_TRUE(queue.Pop(two));
  EXPECT_EQ(Values(two), (std::vector<double>{6, 7}));
}

TEST_F(DataBufferStorages, ABufferListStoresCopiesSharingTheStore) {
  TSLBufferList list;
  ISLDataBufferPtr original = Real({1, 2, 3});
  list.Add(original, true);
  EXPECT_EQ(_SLCountPasBuffers.load(), buffers_ + 2);
  EXPECT_EQ(_SLCountStores.load(), stores_ + 1);
  ISLDataBufferPtr stored;
  ASSERT_TRUE(list.PopFirst(stored));
  EXPECT_NE(stored.Get(), original.Get());
  EXPECT_EQ(stored->ByteRead(), original->ByteRead());
  EXPECT_EQ(Values(stored), (std::vector<double>{1, 2, 3}));
}

TEST_F(DataBufferStorages, AStampListReleasesItsCopiesWhenCleared) {
  TSLBufferStampList list;
  list.Add(Real({1}), 1, 2);
  list.Add(Real({2}), 3, 4);
  EXPECT_EQ(list.GetCount(), 2);
  list.Clear();
}
