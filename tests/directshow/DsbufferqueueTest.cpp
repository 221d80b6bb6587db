#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "directshow/Dsbufferqueue.h"
#include "directshow/Dssamplegrabber.h"
#include "platform/media/Media.h"

namespace {

using namespace media;

TEST(BufferQueueTest, BlocksLeaveInOrderWithTheirOwnLengthsAndTimes) {
  TVLDSBufferQueue queue;
  EXPECT_FALSE(queue.HasData());
  const uint8_t a[] = {1, 2, 3}, b[] = {9};
  ASSERT_TRUE(queue.Add(0, 100, a, 3));
  ASSERT_TRUE(queue.Add(100, 200, nullptr, 0)); // an empty sample still makes a block
  ASSERT_TRUE(queue.Add(200, 300, b, 1));
  EXPECT_TRUE(queue.HasData());
  struct TExpect {
    int64_t start, stop;
    std::vector<uint8_t> bytes;
  };
  for (const TExpect &e :
       {TExpect{0, 100, {1, 2, 3}}, TExpect{100, 200, {}}, TExpect{200, 300, {9}}}) {
    TVLDSBufferQueueNodeHeader *block = queue.Get();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->StartTime, e.start);
    EXPECT_EQ(block->StopTime, e.stop);
    EXPECT_EQ(std::vector<uint8_t>(block->Data(), block->Data() + block->Length), e.bytes);
    EXPECT_EQ(block->MemoryHandle, static_cast<void *>(block));
    queue.DestroyBlock(block);
  }
  EXPECT_EQ(queue.Get(), nullptr);
  EXPECT_FALSE(queue.HasData());
  // Head and tail were both cleared: the queue takes blocks again.
  ASSERT_TRUE(queue.Add(5, 6, b, 1));
  TVLDSBufferQueueNodeHeader *block = queue.Get();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->StartTime, 5);
  queue.DestroyBlock(block);
}

TEST(BufferQueueTest, ClearFreesEveryBlockAndBadInputIsRefused) {
  TVLDSBufferQueue queue;
  queue.Clear();
  std::vector<uint8_t> data(4096, 7);
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(queue.Add(i, i + 1, data.data(), 4096));
  queue.Clear();
  EXPECT_EQ(queue.Get(), nullptr);
  EXPECT_FALSE(queue.Add(0, 0, data.data(), -1));
  EXPECT_FALSE(queue.Add(0, 0, nullptr, 10));
  EXPECT_FALSE(queue.HasData());
  queue.DestroyBlock(nullptr);
}

// A media sample of the platform, filled by hand.
com::TComPtr<IMediaSample> Sample(const std::vector<uint8_t> &bytes, REFERENCE_TIME start,
                                  REFERENCE_TIME stop) {
  com::TComPtr<IMemAllocator> allocator;
  media::CoCreateInstance(CLSID_MemoryAllocator, nullptr, com::CLSCTX_INPROC_SERVER,
                          IMemAllocator::IID, allocator.PutVoid());
  ALLOCATOR_PROPERTIES want{1, 64, 1, 0}, got{};
  allocator->SetProperties(&want, &got);
  allocator->Commit();
  com::TComPtr<IMediaSample> sample;
  allocator->GetBuffer(reinterpret_cast<IMediaSample **>(sample.PutVoid()), nullptr, nullptr, 0);
  BYTE *p = nullptr;
  sample->GetPointer(&p);
  std::memcpy(p, bytes.data(), bytes.size());
  sample->SetActualDataLength(static_cast<LONG>(bytes.size()));
  sample->SetTime(&start, &stop);
  return sample;
}

TEST(SampleGrabberCallbackTest, HandsEachSampleToTheNotifyMethodWithFixedCounts) {
  TVLDSBufferQueue queue;
  // As the capture component's sample method does it.
  TVLDSSampleGrabberCB callback([&](double, IMediaSample *sample) {
    BYTE *p = nullptr;
    sample->GetPointer(&p);
    REFERENCE_TIME start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    queue.Add(start, stop, p, sample->GetActualDataLength());
  });
  auto sample = Sample({4, 5, 6, 7}, 1000, 2000);
  EXPECT_EQ(callback.SampleCB(0.0001, sample.Get()), S_OK);
  TVLDSBufferQueueNodeHeader *block = queue.Get();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->Length, 4);
  EXPECT_EQ(block->StartTime, 1000);
  EXPECT_EQ(block->Data()[3], 7);
  queue.DestroyBlock(block);

  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(callback.AddRef(), 2u);
    EXPECT_EQ(callback.Release(), 1u);
  }
  void *out = nullptr;
  EXPECT_EQ(callback.QueryInterface(com::IUnknown::IID, &out), S_OK);
  EXPECT_EQ(out, static_cast<ISampleGrabberCB *>(&callback));
  EXPECT_EQ(callback.QueryInterface(ISampleGrabberCB::IID, &out), S_OK);
  EXPECT_EQ(callback.QueryInterface(IMediaSample::IID, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(callback.BufferCB(0, nullptr, 0), S_OK);

  TVLDSSampleGrabberCB silent(nullptr);
  EXPECT_EQ(silent.SampleCB(0, sample.Get()), S_OK);
  TVLDSSampleGrabberCB raising([](double, IMediaSample *) { throw EDSException("no room"); });
  EXPECT_EQ(raising.SampleCB(0, sample.Get()), S_OK); // never unwinds into the streaming thread
}

} // namespace
