#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLInternalStore.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

// Distinct sizes per test so the process-wide pool's earlier state does not
// matter.
TEST(SLBufferPool, ZeroSizeGivesNullAndCreatesNoList) {
  SLMemoryCleanUp();
  EXPECT_EQ(SLBufferAllocate(0), nullptr);
  EXPECT_EQ(SLPoolListCount(), 0);
}

TEST(SLBufferPool, LastFreedBlockIsReusedFirst) {
  const uint32_t size = 333;
  void *a = SLBufferAllocate(size);
  void *b = SLBufferAllocate(size);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 32, 0u);
  SLBufferDeallocate(a, size);
  EXPECT_EQ(SLBufferAllocate(size), a);
  SLBufferDeallocate(a, size);
  SLBufferDeallocate(b, size);
  EXPECT_EQ(SLPoolFreeBlockCount(size), 2);
  EXPECT_EQ(SLBufferAllocate(size), b);
  EXPECT_EQ(SLBufferAllocate(size), a);
  EXPECT_EQ(SLPoolFreeBlockCount(size), 0);
  SLBufferDeallocate(a, size);
  SLBufferDeallocate(b, size);
}

TEST(SLBufferPool, BlocksOfOtherSizesAreNotShared) {
  void *a = SLBufferAllocate(341);
  SLBufferDeallocate(a, 341);
  void *b = SLBufferAllocate(342);
  EXPECT_EQ(SLPoolFreeBlockCount(341), 1);
  SLBufferDeallocate(b, 342);
}

TEST(SLBufferPool, CleanUpDropsKeptBlocksAndLateReturnsGoToTheHeap) {
  void *kept = SLBufferAllocate(777);
  void *inUse = SLBufferAllocate(777);
  SLBufferDeallocate(kept, 777);
  SLMemoryCleanUp();
  EXPECT_EQ(SLPoolListCount(), 0);
  std::memset(inUse, 0x5A, 777); // still usable
  SLBufferDeallocate(inUse, 777);
  // No list existed for the returned block: it is not kept for reuse.
  EXPECT_EQ(SLPoolFreeBlockCount(777), 0);
  void *fresh = SLBufferAllocate(777);
  EXPECT_EQ(SLPoolFreeBlockCount(777), 0);
  SLBufferDeallocate(fresh, 777);
  EXPECT_EQ(SLPoolFreeBlockCount(777), 1);
}

struct SizeCase {
  uint32_t request;
  uint32_t block;
};

class SLAllocationSize : public testing::TestWithParam<SizeCase> {};

TEST_P(SLAllocationSize, IsTheSmallestPowerOfTwoFromFourUpToTwoToThirty) {
  EXPECT_EQ(TSLSmartBuffer::CalculateAllocationSize(GetParam().request), GetParam().block);
}

INSTANTIATE_TEST_SUITE_P(Table, SLAllocationSize,
                         testing::Values(SizeCase{0, 4}, SizeCase{1, 4}, SizeCase{4, 4},
                                         SizeCase{5, 8}, SizeCase{1000, 1024}, SizeCase{1024, 1024},
                                         SizeCase{1025, 2048}, SizeCase{1u << 30, 1u << 30},
                                         SizeCase{(1u << 30) + 1, 1u << 30},
                                         SizeCase{0xFFFFFFFFu, 1u << 30}));

// ---------------------------------------------------------------------------
// Stores

using SLStoreTest = SLCountedTest;

TEST_F(SLStoreTest, DataConstructorCopiesOnlyTheRequestedBytes) {
  const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  // Fill the block the store will reuse, so the uncopied bytes are known.
  void *block = SLBufferAllocate(8);
  std::memset(block, 0xEE, 8);
  SLBufferDeallocate(block, 8);
  auto *store = new TSLSmartMemoryBuffer(data, 5);
  store->AddReff(true);
  EXPECT_EQ(store->GetAllocatedSize(), 8u);
  EXPECT_EQ(std::memcmp(store->GetRawData(), data, 5), 0);
  EXPECT_EQ(store->GetRawData()[5], 0xEE);
  store->RemoveReff(true);
}

TEST_F(SLStoreTest, CloneWithDataCopiesTheWholeBlock) {
  auto *store = new TSLSmartMemoryBuffer(100);
  store->AddReff(true);
  for (uint32_t i = 0; i < store->GetAllocatedSize(); ++i)
    store->GetRawData()[i] = static_cast<uint8_t>(i * 7);
  TSLSmartMemoryBuffer *copy = store->Clone(true);
  copy->AddReff(true);
  EXPECT_EQ(copy->GetAllocatedSize(), 128u);
  EXPECT_NE(copy->GetRawData(), store->GetRawData());
  EXPECT_EQ(std::memcmp(copy->GetRawData(), store->GetRawData(), 128), 0);
  TSLSmartMemoryBuffer *empty = store->Clone(false);
  empty->AddReff(false);
  EXPECT_EQ(empty->GetAllocatedSize(), 128u);
  EXPECT_EQ(empty->OwnerCount(), 0);
  EXPECT_EQ(empty->TransportCount(), 1);
  empty->RemoveReff(false);
  copy->RemoveReff(true);
  store->RemoveReff(true);
}

TEST_F(SLStoreTest, CopyFromCopiesOnlyWhatTheReceiverHolds) {
  auto *big = new TSLSmartMemoryBuffer(64);
  auto *small = new TSLSmartMemoryBuffer(16);
  big->AddReff(true);
  small->AddReff(true);
  std::memset(big->GetRawData(), 0x11, 64);
  std::memset(small->GetRawData(), 0x22, 16);
  small->CopyFrom(*big);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(small->GetRawData()[i], 0x11);
  std::memset(big->GetRawData(), 0x33, 64);
  big->CopyFrom(*small);
  EXPECT_EQ(big->GetRawData()[15], 0x11);
  EXPECT_EQ(big->GetRawData()[16], 0x33);
  small->RemoveReff(true);
  big->RemoveReff(true);
}

TEST_F(SLStoreTest, OwnershipCounts) {
  auto *store = new TSLSmartMemoryBuffer(4);
  store->AddReff(true);
  store->AddReff(true);
  EXPECT_FALSE(store->SingleOwner());
  store->RemoveOwnerShip();
  EXPECT_EQ(store->OwnerCount(), 1);
  EXPECT_EQ(store->TransportCount(), 2);
  EXPECT_TRUE(store->SingleOwner());
  store->RemoveOwnerShip();
  store->RemoveOwnerShip(); // never below 0
  EXPECT_EQ(store->OwnerCount(), 0);
  store->RemoveReff(true);
  EXPECT_EQ(store->TransportCount(), 1);
  store->RemoveReff(false);
}

TEST_F(SLStoreTest, RemoveReffWithoutOwnerStillDestroysTheLastTransport) {
  const int32_t before = _SLCountStores.load();
  auto *store = new TSLSmartMemoryBuffer(4);
  store->AddReff(true);
  EXPECT_EQ(_SLCountStores.load(), before + 1);
  store->RemoveReff(false);
  EXPECT_EQ(_SLCountStores.load(), before);
}

TEST_F(SLStoreTest, BaseCloneTakesNeitherCountsNorBufferNumber) {
  auto *store = new TSLSmartBuffer();
  store->AddReff(true);
  store->SetBufferNumber(42);
  store->SetBufferNumberAvailable(true);
  TSLSmartBuffer *copy = store->Clone(true);
  EXPECT_EQ(copy->TransportCount(), 0);
  EXPECT_EQ(copy->GetBufferNumber(), 0);
  EXPECT_FALSE(copy->GetBufferNumberAvailable());
  copy->AddReff(false);
  copy->RemoveReff(false);
  store->RemoveReff(true);
}

TEST_F(SLStoreTest, StoreInstancesComeFromThePool) {
  auto *store = new TSLSmartMemoryBuffer(4);
  store->AddReff(true);
  store->RemoveReff(true);
  const int kept = SLPoolFreeBlockCount(sizeof(TSLSmartMemoryBuffer));
  EXPECT_GE(kept, 1);
  auto *again = new TSLSmartMemoryBuffer(4);
  EXPECT_EQ(SLPoolFreeBlockCount(sizeof(TSLSmartMemoryBuffer)), kept - 1);
  again->AddReff(true);
  again->RemoveReff(true);
}

TEST_F(SLStoreTest, StoresInUseSurviveCleanUp) {
  auto *store = new TSLSmartMemoryBuffer(200);
  store->AddReff(true);
  SLMemoryCleanUp();
  std::memset(store->GetRawData(), 1, 256);
  store->RemoveReff(true);
  EXPECT_EQ(SLPoolFreeBlockCount(256), 0);
}

TEST_F(SLStoreTest, OversizeRequestIsARangeError) {
  EXPECT_THROW(new TSLSmartMemoryBuffer((1u << 30) + 1), ERangeError);
}

} // namespace
