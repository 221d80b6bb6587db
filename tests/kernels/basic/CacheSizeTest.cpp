// The cache-size lookup that decides when fills and copies bypass the cache.
#include <cstdint>

#include <gtest/gtest.h>

#include "kernels/basic/BasicKernels.h"
#include "tests/kernels/basic/FakeCpuid.h"

namespace {

using kernels::basic::CacheSizePerCore;
using kernels_basic_test::FakeCpuid;

struct CacheRow {
  const char *what;
  bool intel;
  std::uint32_t eax;
  std::uint32_t ebx;
  int cores;
  std::int64_t undivided;
  std::int64_t perCore;
};

class CacheSize : public ::testing::TestWithParam<CacheRow> {};

TEST_P(CacheSize, FromLeafTwoDescriptors) {
  const CacheRow &r = GetParam();
  const FakeCpuid fake(r.intel, r.eax, r.ebx, r.cores);
  EXPECT_EQ(CacheSizePerCore(fake, false), r.undivided) << r.what;
  EXPECT_EQ(CacheSizePerCore(fake, true), r.perCore) << r.what;
}

constexpr std::int64_t KB = 1024;
INSTANTIATE_TEST_SUITE_P(
    Descriptors, CacheSize,
    ::testing::Values(CacheRow{"8 MB, shared by 4", true, 0x00470001, 0, 4, 8192 * KB, 2048 * KB},
                      CacheRow{"256 KB alone", true, 0x00420001, 0, 1, 256 * KB, 256 * KB},
                      // the largest cache wins whatever register order the descriptors come in
                      CacheRow{"1 MB before 4 MB", true, 0x00230001, 0x00000029, 2, 4096 * KB,
                               2048 * KB},
                      CacheRow{"register with bit 31 carries nothing", true, 0x00420001, 0x80000049,
                               1, 256 * KB, 256 * KB},
                      CacheRow{"repeat count 2", true, 0x00470002, 0, 1, -1, -1},
                      CacheRow{"no known descriptor", true, 0x00010001, 0, 1, -1, -1},
                      // the query count in AL is not a descriptor, even when it equals one's value
                      CacheRow{"other vendor", false, 0x00470001, 0, 1, -1, -1}));

TEST(CacheSizeTable, DescriptorAndSizeCodesOfTheTable) {
  struct {
    std::uint32_t descriptor;
    std::int64_t size;
  } const rows[] = {{0x47, 8192 * KB}, {0x49, 4096 * KB}, {0x29, 4096 * KB}, {0x46, 4096 * KB},
                    {0x25, 2048 * KB}, {0x7D, 2048 * KB}, {0x85, 2048 * KB}, {0x45, 2048 * KB},
                    {0x23, 1024 * KB}, {0x87, 1024 * KB}, {0x7C, 1024 * KB}, {0x78, 1024 * KB},
                    {0x84, 1024 * KB}, {0x44, 1024 * KB}, {0x22, 512 * KB},  {0x7B, 512 * KB},
                    {0x86, 512 * KB},  {0x7F, 512 * KB},  {0x83, 512 * KB},  {0x43, 512 * KB},
                    {0x7A, 256 * KB},  {0x82, 256 * KB},  {0x3C, 256 * KB},  {0x42, 256 * KB}};
  for (const auto &row : rows) {
    const FakeCpuid fake(true, (row.descriptor << 8) | 1, 0, 1);
    EXPECT_EQ(CacheSizePerCore(fake, false), row.size) << std::hex << row.descriptor;
  }
  // a first-level descriptor is not in the table
  EXPECT_EQ(CacheSizePerCore(FakeCpuid(true, 0x002C0001, 0, 1), false), -1);
}

} // namespace
