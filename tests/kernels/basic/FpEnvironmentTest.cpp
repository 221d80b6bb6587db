// With the SSE control register at toward-zero with flush-to-zero and denormals-are-zero,
// and the x87 word at chop, every kernel of the arithmetic, statistics, scaled-integer,
// logic, window and scope families (failing calls too) leaves both as it found them.
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/basic/BasicKernels.h"
#include "platform/cpu/FpuControl.h"

namespace {

namespace kb = kernels::basic;

TEST(FpEnvironment, KernelsLeaveTheMxcsrAndX87WordAsSet) {
  std::vector<double> a(67), b(67);
  for (std::size_t i = 0; i < a.size(); ++i) {
    a[i] = 0.37 * static_cast<double>(i) - 5;
    b[i] = i % 5 ? 1.5 : 0.0; // zero divisors too
  }
  std::vector<Ipp64fc> ca(33, Ipp64fc{1.5, -2}), cb(33, Ipp64fc{0, 0});
  cb[3] = {1e-300, 0};
  std::vector<int> ia(67, -7), ib(67, 3);
  std::vector<unsigned char> ua(67, 200), ub(67, 9);
  const unsigned char pixel[4] = {1, 2, 3, 4};
  double r = 0;
  const int n = 67;
  const std::vector<std::function<void()>> calls = {
      [&] { kb::sse2::ippsAdd_64f(a.data(), b.data(), a.data(), n); },
      [&] { kb::sse2::ippsDiv_64f_I(b.data(), a.data(), n); },
      [&] { kb::sse2::ippsDiv_64f_I(nullptr, a.data(), n); },
      [&] { kb::sse2::ippsMul_64fc_I(cb.data(), ca.data(), 33); },
      [&] { kb::sse2::ippsDiv_64fc_I(cb.data(), ca.data(), 33); },
      [&] {
        kb::sse2::ippsDivC_64fc(ca.data(), Ipp64fc{1e-200, 3}, ca.data(), 33);
      },
      [&] {
        kb::sse2::ippsDivC_64fc(ca.data(), Ipp64fc{0, 0}, ca.data(), 33);
      },
      [&] { kb::sse2::ippsMax_64f(a.data(), n, &r); },
      [&] { kb::sse2::ippsSum_64f(a.data(), n, &r); },
      [&] { kb::sse2::ippsSum_64f(a.data(), 0, &r); },
      [&] { kb::sse2::ippsMul_32s_ISfs(ib.data(), ia.data(), n, 5); },
      [&] { kb::sse2::ippsAddC_32s_Sfs(ia.data(), 9, ia.data(), n, -3); },
      [&] { kb::sse2::ippsMul_8u_ISfs(ub.data(), ua.data(), n, 3); },
      [&] { kb::sse2::ippsRShiftC_32s(ia.data(), -1, ia.data(), n); },
      [&] { kb::sse2::ippsWinHann_64f_I(a.data(), n); },
      [&] { kb::sse2::ippsWinBlackman_64f_I(a.data(), n, 0.16); },
      [&] { kb::sse2::ippsWinKaiser_64f_I(a.data(), n, 5.0f); },
      [&] { kb::sse2::ippsWinKaiser_64f_I(a.data(), n, 1e6f); },
      [&] {
        kb::sse2::scope::ippiSet_8u_C4R(pixel, ua.data(), 8, tagSIZE{2, 3});
      },
      [&] { kb::sse2::scope::ippsMulC_64f(a.data(), 3.0, a[0], n); },
      [&] {
        kb::sse2::ippiMirror_8u_C3IR(ua.data(), 9, tagSIZE{3, 3}, 2);
      },
  };
  const std::uint32_t mxcsrBefore = cpu::GetMxcsr();
  const std::uint16_t x87Before = cpu::GetX87ControlWord();
  const std::uint32_t mxcsr = 0x1F80u | 0x6000u | 0x8000u | 0x0040u; // chop, FTZ, DAZ
  for (std::size_t i = 0; i < calls.size(); ++i) {
    cpu::LoadMxcsr(mxcsr);
    cpu::LoadX87ControlWord(0x0F7F);
    calls[i]();
    const std::uint32_t after = cpu::GetMxcsr();
    const std::uint16_t x87After = cpu::GetX87ControlWord();
    cpu::LoadMxcsr(mxcsrBefore);
    cpu::LoadX87ControlWord(x87Before);
    EXPECT_EQ(after & ~0x3Fu, mxcsr) << "call " << i; // the exception flags may be raised
    EXPECT_EQ(x87After, 0x0F7F) << "call " << i;
  }
}

} // namespace
