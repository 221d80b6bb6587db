#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLSimpleDataBuffer.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

using com::MakeCom;
using com::TComPtr;

template <class T> TComPtr<T> As(const TComPtr<ISLDataBuffer> &b) { return TComPtr<T>::Query(b); }

TComPtr<TSLRealBuffer> Real(std::vector<double> values) {
  return MakeCom<TSLRealBuffer>(values.data(), static_cast<uint32_t>(values.size()));
}

std::vector<double> Values(ISLRealBuffer *b) {
  return std::vector<double>(b->Read(), b->Read() + b->GetSize());
}

using SLBufferTest = SLCountedTest;

// ---------------------------------------------------------------------------
// Generic and memory buffer

TEST_F(SLBufferTest, CountsReturnToBaselineAfterCopiesAreReleased) {
  {
    TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
    EXPECT_EQ(_SLCountPasBuffers.load(), buffers_ + 1);
    EXPECT_EQ(_SLCountStores.load(), stores_ + 1);
    TComPtr<ISLDataBuffer> b = a->MakeCopy();
    TComPtr<ISLDataBuffer> c = b->MakeCopy();
    EXPECT_EQ(_SLCountPasBuffers.load(), buffers_ + 3);
    EXPECT_EQ(_SLCountStores.load(), stores_ + 1);
    c->ByteModify();
    EXPECT_EQ(_SLCountStores.load(), stores_ + 2);
  }
}

TEST_F(SLBufferTest, MakeCopySharesUntilModify) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  TComPtr<ISLRealBuffer> b = As<ISLRealBuffer>(a->MakeCopy());
  ASSERT_TRUE(b);
  EXPECT_EQ(a->ByteRead(), b->ByteRead());
  EXPECT_EQ(a->GetDataContainer(), b->GetInstance()->GetDataContainer());
  double *p = b->Modify();
  EXPECT_NE(p, a->Read());
  p[1] = 20;
  EXPECT_EQ(Values(a.Get()), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Values(b.Get()), (std::vector<double>{1, 20, 3}));
}

TEST_F(SLBufferTest, ByteWriteOnASharedBufferTakesAStoreOfTheSameSizeWithoutCopying) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3, 4, 5});
  TComPtr<ISLDataBuffer> b = a->MakeCopy();
  TSLSmartBuffer *shared = a->GetDataContainer();
  // A store of the clone's class is cloned without data: check that the
  // shared data did not travel by planting a marker in the block the clone
  // will reuse from the pool.
  void *block = SLBufferAllocate(64);
  std::memset(block, 0xAB, 64);
  SLBufferDeallocate(block, 64);
  uint8_t *w = b->ByteWrite();
  auto *own = static_cast<TSLSmartMemoryBuffer *>(b->GetInstance()->GetDataContainer());
  EXPECT_NE(own, shared);
  EXPECT_EQ(own->GetAllocatedSize(), 64u);
  EXPECT_EQ(w, own->GetRawData());
  EXPECT_EQ(w[0], 0xAB);
  EXPECT_EQ(a->GetDataContainer(), shared);
}

TEST_F(SLBufferTest, ByteModifyOnASharedBufferCopiesTheData) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  TComPtr<ISLRealBuffer> b = As<ISLRealBuffer>(a->MakeCopy());
  b->Modify();
  EXPECT_NE(b->Read(), a->Read());
  EXPECT_EQ(Values(b.Get()), (std::vector<double>{1, 2, 3}));
}

TEST_F(SLBufferTest, WriteAccessOnAnUnsharedBufferStaysInPlace) {
  TComPtr<TSLRealBuffer> a = Real({1, 2});
  const uint8_t *r = a->ByteRead();
  EXPECT_EQ(a->ByteWrite(), r);
  EXPECT_EQ(a->ByteModify(), r);
}

TEST_F(SLBufferTest, NonOwningSharersDoNotForceACopy) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  TComPtr<TSLRealBuffer> last = MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(a.Get()));
  last->RemoveOwnerShip();
  EXPECT_FALSE(last->OwnsData());
  // The one owner writes in place, and so does the buffer that gave up its
  // claim: this is how the last receiver of a fan-out works without copying.
  EXPECT_EQ(a->ByteModify(), a->ByteRead());
  EXPECT_EQ(last->Modify(), a->Read());
  last->Modify()[0] = 9;
  EXPECT_EQ(a->GetItem(0), 9);
}

TEST_F(SLBufferTest, AssignSharesTheSourceStore) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  TComPtr<TSLRealBuffer> b = Real({7});
  b->Assign(a.Get());
  EXPECT_EQ(b->GetSize(), 3u);
  EXPECT_EQ(b->Read(), a->Read());
  EXPECT_EQ(a->GetDataContainer()->OwnerCount(), 2);
  // Between sharers and onto itself, nothing changes in the counts.
  b->Assign(a.Get());
  b->Assign(b.Get());
  EXPECT_EQ(a->GetDataContainer()->OwnerCount(), 2);
  EXPECT_EQ(a->GetDataContainer()->TransportCount(), 2);
}

TEST_F(SLBufferTest, SequenceStampLivesInTheStore) {
  TComPtr<TSLRealBuffer> a = Real({1});
  TComPtr<ISLDataBuffer> b = a->MakeCopy();
  a->GetSequenceStamp()->SetBufferNumber(17);
  a->GetSequenceStamp()->SetAvailable(true);
  EXPECT_EQ(b->GetSequenceStamp()->GetBufferNumber(), 17);
  EXPECT_TRUE(b->GetSequenceStamp()->GetAvailable());
}

TEST_F(SLBufferTest, QueryInterfaceAnswersTheClassInterfacesOnly) {
  TComPtr<ISLDataBuffer> r = Real({1});
  EXPECT_TRUE(As<ISLGenericBuffer>(r));
  EXPECT_TRUE(As<ISLRealBuffer>(r));
  EXPECT_FALSE(As<ISLIntegerBuffer>(r));
  TComPtr<ISLDataBuffer> m = MakeCom<TSLMemoryBuffer>(4u);
  EXPECT_TRUE(As<ISLGenericBuffer>(m));
  EXPECT_FALSE(As<ISLBlockBuffer>(m));
}

TEST_F(SLBufferTest, SharingConstructorRefusesAStoreThatIsNotMemory) {
  auto *store = new TSLSmartBuffer();
  TComPtr<TSLGenericBuffer> g = MakeCom<TSLGenericBuffer>(store, 0u);
  EXPECT_THROW(MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(g.Get())), EInvalidCast);
}

TEST_F(SLBufferTest, AssignRefusesAStoreThatIsNotMemory) {
  // A memory buffer reads its samples from a memory store: taking any other
  // kind would point it at foreign memory. It keeps its own store instead.
  TComPtr<TSLRealBuffer> real = Real({1, 2});
  TSLSmartBuffer *own = real->GetDataContainer();
  TComPtr<TSLGenericBuffer> g = MakeCom<TSLGenericBuffer>(new TSLSmartBuffer(), 16u);
  EXPECT_THROW(real->Assign(g.Get()), EInvalidCast);
  EXPECT_EQ(real->GetDataContainer(), own);
  EXPECT_EQ(Values(real.Get()), (std::vector<double>{1, 2}));
  EXPECT_EQ(g->GetDataContainer()->TransportCount(), 1);
  // A generic buffer takes any store.
  g->Assign(real.Get());
  EXPECT_EQ(g->GetDataContainer(), own);
}

// ---------------------------------------------------------------------------
// Resize

TEST_F(SLBufferTest, ResizeToTheCurrentSizeChangesNothing) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  const double *p = a->Read();
  a->Resize(3, false);
  EXPECT_EQ(a->Read(), p);
  EXPECT_EQ(a->GetSize(), 3u);
}

TEST_F(SLBufferTest, ResizeToZeroEmptiesTheBufferAndKeepsTheStore) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  TSLSmartBuffer *store = a->GetDataContainer();
  a->Resize(0, true);
  EXPECT_EQ(a->GetSize(), 0u);
  EXPECT_EQ(a->GetByteSize(), 0u);
  EXPECT_EQ(a->GetDataContainer(), store);
}

TEST_F(SLBufferTest, ShrinkingASharedBufferLeavesTheOtherSharersAlone) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3, 4});
  TComPtr<ISLRealBuffer> b = As<ISLRealBuffer>(a->MakeCopy());
  b->Resize(2, true);
  EXPECT_EQ(b->GetSize(), 2u);
  EXPECT_EQ(b->Read(), a->Read());
  EXPECT_EQ(Values(a.Get()), (std::vector<double>{1, 2, 3, 4}));
}

TEST_F(SLBufferTest, GrowingStaysInTheBlockWhileItFits) {
  TComPtr<TSLRealBuffer> a = MakeCom<TSLRealBuffer>(10u);
  for (int i = 0; i < 10; ++i)
    a->SetItem(i, i);
  TSLSmartMemoryBuffer *store = a->GetCharBuffer();
  EXPECT_EQ(store->GetAllocatedSize(), 128u);
  a->Resize(16, true);
  EXPECT_EQ(a->GetCharBuffer(), store);
  EXPECT_EQ(a->GetSize(), 16u);
  a->Resize(17, true);
  EXPECT_NE(a->GetCharBuffer(), store);
  EXPECT_EQ(a->GetCharBuffer()->GetAllocatedSize(), 256u);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(a->GetItem(i), i);
}

TEST_F(SLBufferTest, GrowingASharedBufferTakesANewStore) {
  TComPtr<TSLRealBuffer> a = Real({1, 2});
  TComPtr<ISLRealBuffer> b = As<ISLRealBuffer>(a->MakeCopy());
  b->Resize(3, true);
  EXPECT_NE(b->Read(), a->Read());
  EXPECT_EQ(b->GetItem(0), 1);
  EXPECT_EQ(b->GetItem(1), 2);
  EXPECT_EQ(a->GetSize(), 2u);
}

TEST_F(SLBufferTest, OversizeRequestsAreRangeErrors) {
  EXPECT_THROW(MakeCom<TSLRealBuffer>((1u << 27) + 1), ERangeError);
  EXPECT_THROW(MakeCom<TSLComplexBuffer>(0xFFFFFFFFu),
               ERangeError); // would wrap to a small size in 32 bits
  TComPtr<TSLRealBuffer> a = Real({1});
  EXPECT_THROW(a->Resize(1u << 28, false), ERangeError);
  EXPECT_EQ(a->GetSize(), 1u);
}

// ---------------------------------------------------------------------------
// Typed buffers

TEST_F(SLBufferTest, SizesInItems) {
  EXPECT_EQ(MakeCom<TSLRealBuffer>(3u)->GetSize(), 3u);
  EXPECT_EQ(MakeCom<TSLRealBuffer>(3u)->GetByteSize(), 24u);
  EXPECT_EQ(MakeCom<TSLComplexBuffer>(3u)->GetByteSize(), 48u);
  EXPECT_EQ(MakeCom<TSLIntegerBuffer>(3u)->GetByteSize(), 12u);
  EXPECT_EQ(MakeCom<TSLBlockBuffer>(3u)->GetByteSize(), 3u);
  TComPtr<TSLRealBuffer> empty = MakeCom<TSLRealBuffer>();
  EXPECT_EQ(empty->GetSize(), 0u);
  EXPECT_EQ(empty->GetCharBuffer()->GetAllocatedSize(), 4u);
}

TEST_F(SLBufferTest, RealFromIntegersAndFloats) {
  const int32_t ints[] = {1, -2, 3};
  const float floats[] = {0.5f, -1.25f};
  EXPECT_EQ(Values(MakeCom<TSLRealBuffer>(ints, 3u).Get()), (std::vector<double>{1, -2, 3}));
  EXPECT_EQ(Values(MakeCom<TSLRealBuffer>(floats, 2u).Get()), (std::vector<double>{0.5, -1.25}));
}

TEST_F(SLBufferTest, RealItemAccessIsRangeChecked) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  EXPECT_EQ(a->GetItem(2), 3);
  try {
    a->GetItem(3);
    FAIL() << "no range error";
  } catch (const ERangeError &e) {
    EXPECT_EQ(e.Message(), "Index out of rabge = 3");
  }
  EXPECT_THROW(a->GetItem(-1), ERangeError);
  EXPECT_THROW(a->SetItem(3, 0), ERangeError);
}

TEST_F(SLBufferTest, IntegerAndComplexItemAccessIsRangeChecked) {
  TComPtr<TSLIntegerBuffer> i = MakeCom<TSLIntegerBuffer>(2u);
  i->SetItem(1, -5);
  EXPECT_EQ(i->GetItem(1), -5);
  EXPECT_THROW(i->GetItem(2), ERangeError);
  EXPECT_THROW(i->SetItem(-1, 0), ERangeError);
  TComPtr<TSLComplexBuffer> c = MakeCom<TSLComplexBuffer>(1u);
  c->SetItem(0, Ipp64fc{1, 2});
  EXPECT_EQ(c->GetItem(0).im, 2);
  EXPECT_THROW(c->GetItem(1), ERangeError);
}

TEST_F(SLBufferTest, SetItemOnASharedBufferLeavesTheSharerAlone) {
  TComPtr<TSLRealBuffer> a = Real({1, 2});
  TComPtr<ISLRealBuffer> b = As<ISLRealBuffer>(a->MakeCopy());
  b->SetItem(0, 5);
  EXPECT_EQ(a->GetItem(0), 1);
  EXPECT_EQ(b->GetItem(0), 5);
  EXPECT_EQ(b->GetItem(1), 2);
}

TEST_F(SLBufferTest, RealDivisionReplacesQuotientsByZero) {
  TComPtr<TSLRealBuffer> a = Real({4, 2, -2, 9, 0});
  TComPtr<TSLRealBuffer> b = Real({1, 0, 0, 3, 0});
  a->Divide(b.Get());
  EXPECT_EQ(Values(a.Get()), (std::vector<double>{4, 1e15, -1e14, 3, -1e14}));
  TComPtr<TSLRealBuffer> c = Real({1, 3});
  c->Divide(Real({4, -2}).Get());
  EXPECT_EQ(Values(c.Get()), (std::vector<double>{0.25, -1.5}));
}

TEST_F(SLBufferTest, ArithmeticOnASharedBufferCopiesFirst) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  TComPtr<ISLRealBuffer> b = As<ISLRealBuffer>(a->MakeCopy());
  b->Add(Real({10, 10, 10}).Get());
  EXPECT_EQ(Values(a.Get()), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Values(b.Get()), (std::vector<double>{11, 12, 13}));
  b->Subtract(a.Get());
  b->Multiply(Real({2, 3, 4}).Get());
  EXPECT_EQ(Values(b.Get()), (std::vector<double>{20, 30, 40}));
}

TEST_F(SLBufferTest, ArithmeticWithAShorterOperandStopsAtItsEnd) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  a->Add(Real({10}).Get());
  EXPECT_EQ(Values(a.Get()), (std::vector<double>{11, 2, 3}));
}

TEST_F(SLBufferTest, IntegerAndBlockArithmeticSaturate) {
  const int32_t x[] = {INT32_MAX, 5, -7};
  const int32_t y[] = {1, 3, 2};
  TComPtr<TSLIntegerBuffer> a = MakeCom<TSLIntegerBuffer>(x, 3u);
  a->Add(MakeCom<TSLIntegerBuffer>(y, 3u).Get());
  EXPECT_EQ(a->GetItem(0), INT32_MAX);
  EXPECT_EQ(a->GetItem(1), 8);
  const uint8_t p[] = {250, 10, 9, 0};
  const uint8_t q[] = {10, 20, 2, 0};
  TComPtr<TSLBlockBuffer> b = MakeCom<TSLBlockBuffer>(p, 4u);
  b->Add(MakeCom<TSLBlockBuffer>(q, 4u).Get());
  EXPECT_EQ(b->Read()[0], 255);
  EXPECT_EQ(b->Read()[1], 30);
  TComPtr<TSLBlockBuffer> d = MakeCom<TSLBlockBuffer>(p, 4u);
  const uint8_t z[] = {0, 3, 2, 0};
  d->Divide(MakeCom<TSLBlockBuffer>(z, 4u).Get());
  EXPECT_EQ(std::vector<int>(d->Read(), d->Read() + 4), (std::vector<int>{255, 3, 4, 0}));
}

TEST_F(SLBufferTest, FillsCoverEveryItem) {
  TComPtr<TSLIntegerBuffer> i = MakeCom<TSLIntegerBuffer>(5u);
  i->SetValue(-1);
  i->Zero();
  for (int k = 0; k < 20; ++k)
    EXPECT_EQ(i->ByteRead()[k], 0);
  TComPtr<TSLComplexBuffer> c = MakeCom<TSLComplexBuffer>(2u);
  c->SetValue(1.5, -2);
  EXPECT_EQ(c->GetItem(1).re, 1.5);
  EXPECT_EQ(c->GetItem(1).im, -2);
  TComPtr<TSLRealBuffer> r = MakeCom<TSLRealBuffer>(3u);
  r->SetValue(4);
  EXPECT_EQ(Values(r.Get()), (std::vector<double>{4, 4, 4}));
  r->Zero();
  EXPECT_EQ(Values(r.Get()), (std::vector<double>{0, 0, 0}));
}

TEST_F(SLBufferTest, EmptyBuffersHaveZeroExtremes) {
  EXPECT_EQ(MakeCom<TSLRealBuffer>()->GetMinValue(), 0.0);
  EXPECT_EQ(MakeCom<TSLRealBuffer>()->GetMaxValue(), 0.0);
  EXPECT_EQ(MakeCom<TSLIntegerBuffer>()->GetMinValue(), 0);
  EXPECT_EQ(MakeCom<TSLIntegerBuffer>()->GetMaxValue(), 0);
  EXPECT_EQ(MakeCom<TSLRealBuffer>()->GetMin(0, 5), 0.0);
}

TEST_F(SLBufferTest, IntegerExtremesCompareSigned) {
  const int32_t x[] = {3, -9, 12, 0};
  TComPtr<TSLIntegerBuffer> a = MakeCom<TSLIntegerBuffer>(x, 4u);
  EXPECT_EQ(a->GetMinValue(), -9);
  EXPECT_EQ(a->GetMaxValue(), 12);
}

struct RangeCase {
  int32_t from, to;
  double min, max;
};

class SLRealRange : public testing::TestWithParam<RangeCase> {};

TEST_P(SLRealRange, ClampsIntoTheBuffer) {
  // Items 0..9 hold 10 - i, so item i's value tells the index.
  std::vector<double> v;
  for (int i = 0; i < 10; ++i)
    v.push_back(10 - i);
  TComPtr<TSLRealBuffer> a = Real(v);
  EXPECT_EQ(a->GetMin(GetParam().from, GetParam().to), GetParam().min);
  EXPECT_EQ(a->GetMax(GetParam().from, GetParam().to), GetParam().max);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SLRealRange,
    testing::Values(RangeCase{-5, 100, 1, 10}, RangeCase{3, 7, 4, 7}, RangeCase{9, 10, 1, 1},
                    RangeCase{20, 30, 1, 1}, // From past the end becomes the last item
                    RangeCase{10, 10, 1, 1}, // and so does From at the end
                    RangeCase{5, 5, 0, 0}, RangeCase{6, 2, 0, 0}, RangeCase{-3, -1, 0, 0}));

TEST_F(SLBufferTest, VectorJaehneFillsThroughWriteAccess) {
  TComPtr<TSLRealBuffer> a = Real({7, 7, 7, 7});
  TComPtr<ISLDataBuffer> keep = a->MakeCopy();
  a->VectorJaehne(2);
  EXPECT_EQ(a->GetItem(0), 0);
  EXPECT_NE(a->Read(), reinterpret_cast<const double *>(keep->ByteRead()));
  EXPECT_EQ(reinterpret_cast<const double *>(keep->ByteRead())[0], 7);
}

TEST_F(SLBufferTest, RealCopyToCountsItemsBetweenRealBuffersAndBytesOtherwise) {
  TComPtr<TSLRealBuffer> src = Real({0, 1, 2, 3, 4});
  TComPtr<TSLRealBuffer> dst = Real({9, 9, 9, 9, 9, 9});
  src->CopyTo(1, dst.Get(), 2, 3);
  EXPECT_EQ(Values(dst.Get()), (std::vector<double>{9, 9, 1, 2, 3, 9}));
  TComPtr<TSLBlockBuffer> block = MakeCom<TSLBlockBuffer>(8u);
  block->Zero();
  src->CopyTo(1, block.Get(), 2, 3);
  const uint8_t *s = src->ByteRead();
  EXPECT_EQ(block->Read()[1], 0);
  EXPECT_EQ(std::memcmp(block->Read() + 2, s + 1, 3), 0);
  EXPECT_EQ(block->Read()[5], 0);
}

TEST_F(SLBufferTest, CopyToASharedDestinationKeepsItsOtherContents) {
  const int32_t x[] = {1, 2, 3};
  const int32_t y[] = {7, 8, 9};
  TComPtr<TSLIntegerBuffer> src = MakeCom<TSLIntegerBuffer>(x, 3u);
  TComPtr<TSLIntegerBuffer> dst = MakeCom<TSLIntegerBuffer>(y, 3u);
  TComPtr<ISLDataBuffer> other = dst->MakeCopy();
  src->CopyTo(0, dst.Get(), 1, 2);
  EXPECT_EQ(dst->GetItem(0), 7);
  EXPECT_EQ(dst->GetItem(1), 1);
  EXPECT_EQ(dst->GetItem(2), 2);
  EXPECT_EQ(As<ISLIntegerBuffer>(other)->GetItem(1), 8);
}

TEST_F(SLBufferTest, CopyToOfARangeEndingAtTheLastItemCopiesIt) {
  TComPtr<TSLRealBuffer> src = Real({0, 1, 2});
  TComPtr<TSLRealBuffer> dst = Real({9, 9});
  src->CopyTo(1, dst.Get(), 0, 2);
  EXPECT_EQ(Values(dst.Get()), (std::vector<double>{1, 2}));
}

TEST_F(SLBufferTest, CopyToOutsideEitherBufferIsARangeError) {
  TComPtr<TSLRealBuffer> src = Real({0, 1, 2});
  TComPtr<TSLRealBuffer> dst = Real({0, 0});
  EXPECT_THROW(src->CopyTo(1, dst.Get(), 0, 3), ERangeError);
  EXPECT_THROW(src->CopyTo(0, dst.Get(), 1, 2), ERangeError);
  EXPECT_THROW(src->CopyTo(0xFFFFFFFFu, dst.Get(), 0, 2), ERangeError);
  EXPECT_EQ(Values(dst.Get()), (std::vector<double>{0, 0}));
}

// ---------------------------------------------------------------------------
// Views

TEST_F(SLBufferTest, ViewsAreDistinctAndDetachedWhenTheBufferGoes) {
  TComPtr<ISLRealDataAccess> v1, v2;
  {
    TComPtr<TSLRealBuffer> a = Real({1, 2});
    v1 = a->Data();
    v2 = a->Data();
    EXPECT_NE(v1.Get(), v2.Get());
    EXPECT_EQ(a->DataAccessCount(), 2);
    {
      TComPtr<ISLRealDataAccess> v3 = a->Data();
      EXPECT_EQ(a->DataAccessCount(), 3);
    }
    EXPECT_EQ(a->DataAccessCount(), 2);
    EXPECT_EQ(v1->GetItem(1), 2);
  }
  EXPECT_THROW(v1->GetSize(), EInvalidOperation);
  EXPECT_THROW(v2->Read(), EInvalidOperation);
}

TEST_F(SLBufferTest, ViewResizeToTheCurrentCountDoesNotReachTheBuffer) {
  TComPtr<TSLRealBuffer> a = Real({1, 2, 3});
  TComPtr<ISLDataBuffer> b = a->MakeCopy();
  TComPtr<ISLRealDataAccess> v = a->Data();
  v->Resize(3, true);
  EXPECT_EQ(v->Read(), reinterpret_cast<const double *>(b->ByteRead()));
  v->Resize(5, true);
  EXPECT_EQ(a->GetSize(), 5u);
}

TEST_F(SLBufferTest, RealViewArithmeticChangesOnlyItsOwnBuffer) {
  TComPtr<TSLRealBuffer> a = Real({1, 2});
  TComPtr<TSLRealBuffer> b = Real({10, 20});
  TComPtr<ISLRealDataAccess> va = a->Data();
  TComPtr<ISLRealDataAccess> vb = b->Data();
  va->Add(vb.Get());
  EXPECT_EQ(Values(a.Get()), (std::vector<double>{11, 22}));
  EXPECT_EQ(Values(b.Get()), (std::vector<double>{10, 20}));
  va->Divide(b->Data().Get());
  EXPECT_EQ(Values(a.Get()), (std::vector<double>{1.1, 1.1}));
}

TEST_F(SLBufferTest, SharedViewIdentifierAnswersTheViewsOwnKind) {
  TComPtr<TSLBlockBuffer> b = MakeCom<TSLBlockBuffer>(8u);
  TComPtr<ISLBlockDataAccess> vb = b->Data();
  void *answer = nullptr;
  ASSERT_EQ(vb->QueryInterface(ISLRealDataAccess::IID, &answer), S_OK);
  EXPECT_EQ(answer, static_cast<void *>(vb.Get()));
  vb->Release();
  TComPtr<TSLRealBuffer> r = Real({1});
  TComPtr<ISLRealDataAccess> vr = r->Data();
  ASSERT_EQ(vr->QueryInterface(ISLBlockDataAccess::IID, &answer), S_OK);
  EXPECT_EQ(answer, static_cast<void *>(vr.Get()));
  vr->Release();
}

TEST_F(SLBufferTest, IntegerViewZeroClearsEveryItem) {
  const int32_t x[] = {1, 2, 3, 4, 5};
  TComPtr<TSLIntegerBuffer> a = MakeCom<TSLIntegerBuffer>(x, 5u);
  a->Data()->Zero();
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(a->GetItem(i), 0);
}

TEST_F(SLBufferTest, ViewForwardsTheByteLevelOperations) {
  TComPtr<TSLBlockBuffer> a = MakeCom<TSLBlockBuffer>(4u);
  TComPtr<ISLDataAccess> v = a->DataAccess();
  EXPECT_EQ(v->GetByteSize(), 4u);
  EXPECT_EQ(v->GetBufferInstance()->GetInstance(), a.Get());
  EXPECT_EQ(v->GetSequenceStamp(), a->GetSequenceStamp());
  TComPtr<TSLBlockBuffer> d = MakeCom<TSLBlockBuffer>(4u);
  d->Zero();
  a->SetValue(3);
  v->CopyTo(0, d->DataAccess().Get(), 2, 2);
  EXPECT_EQ(std::vector<int>(d->Read(), d->Read() + 4), (std::vector<int>{0, 0, 3, 3}));
  TComPtr<ISLDataBuffer> copy = v->MakeCopy();
  EXPECT_EQ(copy->ByteRead(), a->ByteRead());
}

TEST_F(SLBufferTest, GenericBufferViewIsUntyped) {
  TComPtr<TSLMemoryBuffer> m = MakeCom<TSLMemoryBuffer>(6u);
  TComPtr<ISLDataAccess> v = m->Data();
  EXPECT_EQ(v->GetSize(), 6u);
  EXPECT_FALSE(TComPtr<ISLBlockDataAccess>::Query(v));
}

} // namespace
