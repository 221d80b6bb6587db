// In-place mirror of three-byte pixels: the same bytes and statuses as the generic, for
// every axis, odd and even sizes, steps with gaps, unaligned starts and overlapping rows;
// the bytes between a row's region and the next row start stay as they were.
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic::sse2;
namespace gen = Slbasicdispatcher::generic;

std::vector<unsigned char> image(std::size_t bytes, unsigned seed) {
  const std::vector<int> v = test_support::RandomVector<int>(bytes, seed, 0, 256);
  return std::vector<unsigned char>(v.begin(), v.end());
}

TEST(Mirror, SameBytesAsTheGenericForEveryAxisSizeAndStep) {
  for (int width : {1, 2, 3, 4, 5, 7, 8, 9, 10, 16, 17, 33}) {
    for (int height : {1, 2, 3, 4, 5}) {
      const int row = 3 * width;
      for (int step : {row, row + 1, row + 13, (row + 15) / 16 * 16 + 16, 1, row - 1}) {
        if (step < 1)
          continue;
        for (std::size_t start : {0, 1, 5}) {
          for (int axis : {0, 1, 2, 3, -1}) {
            const std::size_t bytes = start + static_cast<std::size_t>(step) * height + row + 16;
            std::vector<unsigned char> a = image(bytes, static_cast<unsigned>(width * 7 + step));
            std::vector<unsigned char> b = a;
            const tagSIZE roi{width, height};
            const IppOpStatus want = gen::ippiMirror_8u_C3IR(b.data() + start, step, roi, axis);
            ASSERT_EQ(kb::ippiMirror_8u_C3IR(a.data() + start, step, roi, axis), want);
            ASSERT_EQ(a, b) << "width " << width << " height " << height << " step " << step
                            << " start " << start << " axis " << axis;
          }
        }
      }
    }
  }
}

TEST(Mirror, TwiceRestoresAndBadArgumentsWriteNothing) {
  const std::vector<unsigned char> original = image(3 * 9 * 5 + 7, 3);
  for (int axis : {0, 1, 2}) {
    std::vector<unsigned char> a = original;
    ASSERT_EQ(kb::ippiMirror_8u_C3IR(a.data() + 1, 3 * 9 + 2, tagSIZE{9, 4}, axis), ippStsNoErr);
    EXPECT_NE(a, original);
    ASSERT_EQ(kb::ippiMirror_8u_C3IR(a.data() + 1, 3 * 9 + 2, tagSIZE{9, 4}, axis), ippStsNoErr);
    EXPECT_EQ(a, original);
  }
  std::vector<unsigned char> a = original;
  EXPECT_EQ(kb::ippiMirror_8u_C3IR(nullptr, 27, tagSIZE{0, 0}, 7), ippStsNullPtrErr);
  EXPECT_EQ(kb::ippiMirror_8u_C3IR(a.data(), 27, tagSIZE{0, 3}, 0), ippStsSizeErr);
  EXPECT_EQ(kb::ippiMirror_8u_C3IR(a.data(), 27, tagSIZE{3, 0}, 0), ippStsSizeErr);
  EXPECT_EQ(kb::ippiMirror_8u_C3IR(a.data(), 0, tagSIZE{3, 3}, 0),
            gen::ippiMirror_8u_C3IR(a.data(), 0, tagSIZE{3, 3}, 0));
  EXPECT_EQ(kb::ippiMirror_8u_C3IR(a.data(), 27, tagSIZE{3, 3}, 3), ippStsMirrorFlipErr);
  EXPECT_EQ(a, original);
}

} // namespace
