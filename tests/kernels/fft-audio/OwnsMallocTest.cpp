// The aligned blocks of the transform objects, over a recording heap.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-audio/FFTAudio64.h"
#include "kernels/fft-audio/FFTReal32.h"

namespace {

using namespace kernels::fft_audio;

struct Heap {
  static inline std::vector<std::size_t> asked;
  static inline std::vector<void *> given, returned;
  static inline std::uintptr_t offset = 0; // where the next raw block starts, mod 32
  static inline bool refuse = false;
  static inline unsigned char arena[32768];
  static inline std::size_t used = 0;

  static void *alloc(std::size_t n) {
    asked.push_back(n);
    if (refuse)
      return nullptr;
    // Raw blocks from an arena at a chosen offset from a 32-byte boundary.
    auto base = reinterpret_cast<std::uintptr_t>(arena + used);
    base = (base + 31) / 32 * 32 + offset;
    used = base - reinterpret_cast<std::uintptr_t>(arena) + n;
    void *p = reinterpret_cast<void *>(base);
    given.push_back(p);
    return p;
  }
  static void release(void *p) { returned.push_back(p); }
};

class OwnsMalloc : public ::testing::Test {
protected:
  void SetUp() override {
    Heap::asked.clear();
    Heap::given.clear();
    Heap::returned.clear();
    Heap::used = 0;
    Heap::offset = 0;
    Heap::refuse = false;
    ownsSetHeapForTesting(&Heap::alloc, &Heap::release);
  }
  void TearDown() override { ownsSetHeapForTesting(nullptr, nullptr); }
};

TEST_F(OwnsMalloc, SizesOfZeroOrLessGiveNullWithoutAHeapCall) {
  for (auto *fn : {&ownsMalloc, &ownsMalloc_Sse, &ownsMalloc_Sse2, &ownsMalloc_Sse3}) {
    EXPECT_EQ(fn(0), nullptr);
    EXPECT_EQ(fn(-5), nullptr);
  }
  EXPECT_TRUE(Heap::asked.empty());
  Heap::refuse = true;
  EXPECT_EQ(ownsMalloc(64), nullptr);
  ownsFree(nullptr);
  EXPECT_TRUE(Heap::returned.empty());
}

// Every member aligns to 32 inside the raw block, keeps the whole raw pointer below the
// block, and every member's release hands back exactly that pointer.
TEST_F(OwnsMalloc, BlocksAreAlignedInsideTheRawBlockAndReleaseTheRawPointer) {
  void *(*const allocs[])(int) = {&ownsMalloc, &ownsMalloc_Sse, &ownsMalloc_Sse2, &ownsMalloc_Sse3};
  void (*const frees[])(void *) = {&ownsFree, &ownsFree_Sse, &ownsFree_Sse2, &ownsFree_Sse3};
  for (auto *fn : allocs)
    for (std::uintptr_t offset : {0u, 8u, 16u, 31u}) {
      Heap::offset = offset;
      auto *q = static_cast<unsigned char *>(fn(1));
      ASSERT_NE(q, nullptr);
      ASSERT_EQ(Heap::asked.back(), 1u + 32u + sizeof(void *));
      auto *raw = static_cast<unsigned char *>(Heap::given.back());
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(q) % 32, 0u);
      EXPECT_GE(q - raw, static_cast<std::ptrdiff_t>(sizeof(void *)));
      EXPECT_LE(q + 1, raw + Heap::asked.back());
      if (offset == 0) {
        EXPECT_EQ(q, raw + 32);
      }
      for (auto *release : frees) {
        const std::size_t before = Heap::returned.size();
        if (release != frees[0]) {
          // Another member's block of the same layout, released by this member.
          q = static_cast<unsigned char *>(fn(1));
          raw = static_cast<unsigned char *>(Heap::given.back());
        }
        release(q);
        ASSERT_EQ(Heap::returned.size(), before + 1);
        EXPECT_EQ(Heap::returned.back(), raw);
      }
    }
}

// Records, tables and per-call work areas of both precisions come from these blocks and go
// back through ownsFree: the recording heap sees every one of them taken and returned.
TEST_F(OwnsMalloc, TransformBlocksComeFromTheAlignedBlocks) {
  FFTSpec_R_64f *spec64 = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_R_64f_Sse2(spec64, 4, 8, 0), ippStsNoErr);
  FFTSpec_R_32f *spec32 = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_R_32f_Sse3(&spec32, 4, 8, 0), ippStsNoErr);
  const std::size_t kept = Heap::given.size(), back = Heap::returned.size();
  EXPECT_GE(kept, 6u);
  float x[16] = {1.0f}, y[16];
  ASSERT_EQ(ippsFFTFwd_RToPerm_32f_Sse3(x, y, spec32, nullptr), ippStsNoErr);
  EXPECT_EQ(Heap::given.size(), kept + 1) << "the work area of one call";
  EXPECT_EQ(Heap::returned.size(), back + 1);
  EXPECT_EQ(y[2], 1.0f);
  EXPECT_EQ(ippsFFTFree_R_32f_Sse3(spec32), ippStsNoErr);
  EXPECT_EQ(ippsFFTFree_R_64f_Sse2(*spec64), ippStsNoErr);
  EXPECT_EQ(Heap::returned.size(), Heap::given.size());
}

std::size_t gAsked = 0;

TEST(OwnsMallocHeap, LargestSizeIsFormedWithoutWrapping) {
  ownsSetHeapForTesting(
      [](std::size_t n) -> void * {
        gAsked = n;
        return nullptr;
      },
      nullptr);
  EXPECT_EQ(ownsMalloc(2147483647), nullptr);
  ownsSetHeapForTesting(nullptr, nullptr);
  EXPECT_EQ(gAsked, std::size_t{2147483647} + 32 + sizeof(void *));
  // And a real block through the restored heap.
  void *p = ownsMalloc_Sse2(100);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 32, 0u);
  static_cast<unsigned char *>(p)[99] = 1;
  ownsFree(p);
}

} // namespace
