#include <cstring>

#include <gtest/gtest.h>

#include "framework/data/Alinternalstore.h"
#include "framework/data/Mlsimplemediabuffer.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

using com::MakeCom;
using com::TComPtr;

class MLMediaBufferTest : public SLCountedTest {
protected:
  static TComPtr<TMLMediaBuffer> Audio(uint32_t bytes) {
    return MakeCom<TMLMediaBuffer>(new TALSmartAudioBuffer(bytes), bytes);
  }
};

TEST_F(MLMediaBufferTest, NewAudioStoreHasNoStamp) {
  TComPtr<TMLMediaBuffer> b = Audio(100);
  EXPECT_FALSE(b->GetTimeStamp()->GetAvailable());
  EXPECT_EQ(b->GetTimeStamp()->GetBegin(), 0);
  EXPECT_EQ(b->GetTimeStamp()->GetEnd(), 0);
  EXPECT_TRUE(TComPtr<IMLMediaBuffer>::Query(TComPtr<ISLDataBuffer>(b.Get())));
}

TEST_F(MLMediaBufferTest, SharersSeeOneStampUntilOneIsMadeUnique) {
  TComPtr<TMLMediaBuffer> a = Audio(100);
  TComPtr<IMLMediaBuffer> b = TComPtr<IMLMediaBuffer>::Query(a->MakeCopy());
  ASSERT_TRUE(b);
  a->GetTimeStamp()->SetBegin(1000);
  a->GetTimeStamp()->SetEnd(2000);
  a->GetTimeStamp()->SetAvailable(true);
  EXPECT_EQ(b->GetTimeStamp()->GetBegin(), 1000);
  EXPECT_TRUE(b->GetTimeStamp()->GetAvailable());
  // Setting the stamp did not separate them.
  EXPECT_EQ(a->GetDataContainer(), b->GetInstance()->GetDataContainer());
  b->ByteWrite();
  EXPECT_NE(a->GetDataContainer(), b->GetInstance()->GetDataContainer());
  EXPECT_EQ(b->GetTimeStamp()->GetBegin(), 1000);
  EXPECT_EQ(b->GetTimeStamp()->GetEnd(), 2000);
  EXPECT_TRUE(b->GetTimeStamp()->GetAvailable());
  b->GetTimeStamp()->SetBegin(5);
  a->GetTimeStamp()->SetAvailable(false);
  EXPECT_EQ(a->GetTimeStamp()->GetBegin(), 1000);
  EXPECT_TRUE(b->GetTimeStamp()->GetAvailable());
}

TEST_F(MLMediaBufferTest, CloneWithoutDataCopiesOnlyTheHeader) {
  auto *store = new TALSmartAudioBuffer(100);
  store->AddReff(true);
  for (uint32_t i = 0; i < 128; ++i)
    store->GetRawData()[i] = static_cast<uint8_t>(i + 1);
  // The block the clone will reuse from the pool holds a known pattern.
  void *block = SLBufferAllocate(128);
  std::memset(block, 0xCC, 128);
  SLBufferDeallocate(block, 128);
  TALSmartAudioBuffer *copy = store->Clone(false);
  copy->AddReff(true);
  EXPECT_EQ(copy->GetAllocatedSize(), 128u);
  EXPECT_EQ(std::memcmp(copy->GetRawData(), store->GetRawData(), ALWaveFormatHeaderSize), 0);
  EXPECT_EQ(copy->GetRawData()[ALWaveFormatHeaderSize], 0xCC);
  TALSmartAudioBuffer *full = store->Clone(true);
  full->AddReff(true);
  EXPECT_EQ(std::memcmp(full->GetRawData(), store->GetRawData(), 128), 0);
  full->RemoveReff(true);
  copy->RemoveReff(true);
  store->RemoveReff(true);
}

TEST_F(MLMediaBufferTest, CloneCarriesTheStamp) {
  auto *store = new TALSmartAudioBuffer(48);
  store->AddReff(true);
  store->SetTimeStampAvailable(true);
  store->SetTimeStampBegin(-7);
  store->SetTimeStampEnd(INT64_MAX);
  TALSmartAudioBuffer *copy = store->Clone(false);
  copy->AddReff(true);
  EXPECT_TRUE(copy->GetTimeStampAvailable());
  EXPECT_EQ(copy->GetTimeStampBegin(), -7);
  EXPECT_EQ(copy->GetTimeStampEnd(), INT64_MAX);
  EXPECT_EQ(copy->TransportCount(), 1);
  copy->RemoveReff(true);
  store->RemoveReff(true);
}

TEST_F(MLMediaBufferTest, CopyFromCopiesTheSmallerSize) {
  auto *big = new TALSmartAudioBuffer(200);
  auto *small = new TALSmartAudioBuffer(50);
  big->AddReff(true);
  small->AddReff(true);
  std::memset(big->GetRawData(), 1, 256);
  std::memset(small->GetRawData(), 2, 64);
  big->CopyFrom(*small);
  EXPECT_EQ(big->GetRawData()[63], 2);
  EXPECT_EQ(big->GetRawData()[64], 1);
  small->CopyFrom(*big);
  EXPECT_EQ(small->GetRawData()[0], 2);
  small->RemoveReff(true);
  big->RemoveReff(true);
}

TEST_F(MLMediaBufferTest, AudioStoreInstancesComeFromThePool) {
  auto *store = new TALSmartAudioBuffer(40);
  store->AddReff(true);
  store->RemoveReff(true);
  EXPECT_GE(SLPoolFreeBlockCount(sizeof(TALSmartAudioBuffer)), 1);
}

TEST(ALSpeakers, SetIsTheChannelMask) {
  TALSpeakers s;
  s.Include(spFrontLeft).Include(spTopBackRight);
  EXPECT_EQ(s.Mask, 0x20001u);
  EXPECT_TRUE(s.Contains(spTopBackRight));
  EXPECT_FALSE(s.Contains(spFrontRight));
  EXPECT_EQ(s.Exclude(spFrontLeft), TALSpeakers(0x20000u));
}

} // namespace
