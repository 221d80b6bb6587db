// The processor code the detection gives, over a table of made-up processors.
#include <cstdint>
#include <ostream>

#include <gtest/gtest.h>

#include "framework/dispatch/Ippglobalcpu.h"
#include "tests/platform/cpu/FakeCpuid.h"

namespace {

constexpr std::uint32_t MMX = 1u << 23, SSE = 1u << 25, SSE2 = 1u << 26, HTT = 1u << 28;
constexpr std::uint32_t SSE3 = 1u << 0, SSSE3 = 1u << 9;

struct FakeProcessor {
  const char *what;
  const char *vendor;
  std::uint32_t family;
  std::uint32_t edx;     // leaf-1 EDX
  std::uint32_t ecx;     // leaf-1 ECX
  std::uint32_t logical; // leaf-1 EBX bits 16-23
  bool intel64;          // extended leaf 80000001h EDX bit 29
  bool extendedLeaf;     // whether 80000001h is reported at all
  IppCpuType expected;
};

std::ostream &operator<<(std::ostream &os, const FakeProcessor &p) { return os << p.what; }

cpu::testing::TFakeCpuid build(const FakeProcessor &p) {
  cpu::testing::TFakeCpuid f;
  f.SetVendor(p.vendor, 2);
  f.leaves[{1, 0}] = cpu::CpuidRegs{p.family << 8, p.logical << 16, p.ecx, p.edx};
  f.leaves[{0x80000000u, 0}] = cpu::CpuidRegs{p.extendedLeaf ? 0x80000004u : 0x80000000u, 0, 0, 0};
  f.leaves[{0x80000001u, 0}] = cpu::CpuidRegs{0, 0, 0, p.intel64 ? 1u << 29 : 0u};
  return f;
}

class Detection : public ::testing::TestWithParam<FakeProcessor> {};

TEST_P(Detection, GivesTheCodeOfTheTable) {
  EXPECT_EQ(Ippglobalcpu::DetectCpuType(build(GetParam())), GetParam().expected);
}

constexpr const char *I = "GenuineIntel";
constexpr const char *A = "AuthenticAMD";

INSTANTIATE_TEST_SUITE_P(
    FakeProcessors, Detection,
    ::testing::Values(
        FakeProcessor{"family 5 without MMX", I, 5, 0, 0, 1, false, true, 1},
        FakeProcessor{"family 5 with MMX", I, 5, MMX, 0, 1, false, true, 2},
        FakeProcessor{"family 6 plain", I, 6, 0, 0, 1, false, true, 3},
        FakeProcessor{"family 6 MMX", I, 6, MMX, 0, 1, false, true, 4},
        FakeProcessor{"family 6 SSE", I, 6, MMX | SSE, 0, 1, false, true, 5},
        FakeProcessor{"family 6 SSE2", I, 6, MMX | SSE | SSE2, 0, 1, false, true, 9},
        FakeProcessor{"family 6 SSE3", I, 6, MMX | SSE | SSE2, SSE3, 1, false, true, 10},
        FakeProcessor{"family 6 SSSE3 Intel 64 (a current processor)", I, 6, MMX | SSE | SSE2 | HTT,
                      SSE3 | SSSE3, 16, true, true, 10},
        FakeProcessor{"family 7", I, 7, 0, 0, 1, false, true, 16},
        FakeProcessor{"family 15 without SSE2", I, 15, MMX | SSE, 0, 1, false, true, 17},
        FakeProcessor{"family 15 SSE2", I, 15, MMX | SSE | SSE2, 0, 1, false, true, 6},
        FakeProcessor{"family 15 SSE2 HTT flag, one logical", I, 15, MMX | SSE | SSE2 | HTT, 0, 1,
                      false, true, 6},
        FakeProcessor{"family 15 SSE2 hyper-threading", I, 15, MMX | SSE | SSE2 | HTT, 0, 2, false,
                      true, 7},
        FakeProcessor{"family 15 SSE3", I, 15, MMX | SSE | SSE2 | HTT, SSE3, 2, false, true, 8},
        FakeProcessor{"family 15 SSE3, Intel 64 bit without the leaf", I, 15, MMX | SSE | SSE2,
                      SSE3, 1, true, false, 8},
        FakeProcessor{"family 15 SSE3 Intel 64", I, 15, MMX | SSE | SSE2, SSE3, 1, true, true, 32},
        FakeProcessor{"family 15 SSSE3 Intel 64", I, 15, MMX | SSE | SSE2, SSE3 | SSSE3, 1, true,
                      true, 33},
        FakeProcessor{"Intel family 4 with SSE", I, 4, SSE, 0, 1, false, true, 64},
        FakeProcessor{"Intel family 4 plain", I, 4, 0, 0, 1, false, true, 0},
        FakeProcessor{"other vendor SSSE3", A, 15, MMX | SSE | SSE2, SSE3 | SSSE3, 1, true, true,
                      33},
        FakeProcessor{"other vendor SSE3", A, 15, MMX | SSE | SSE2, SSE3, 1, true, true, 66},
        FakeProcessor{"other vendor SSE2", A, 15, MMX | SSE | SSE2, 0, 1, true, true, 65},
        FakeProcessor{"other vendor SSE", A, 6, MMX | SSE, 0, 1, false, true, 64},
        FakeProcessor{"other vendor MMX only", A, 5, MMX, 0, 1, false, true, 0}));

TEST(DetectionWithoutCpuid, GivesZero) {
  cpu::testing::TFakeCpuid f = build({"", I, 6, MMX | SSE | SSE2, SSE3, 1, true, true, 0});
  f.supported = false;
  EXPECT_EQ(Ippglobalcpu::DetectCpuType(f), 0);
}

} // namespace
