// Processor probes against made-up CPUID results, and a sanity pass on this machine.
#include <gtest/gtest.h>

#include "platform/cpu/Cpuid.h"
#include "tests/platform/cpu/FakeCpuid.h"

namespace {

using cpu::CpuidRegs;
using cpu::testing::TFakeCpuid;

TFakeCpuid intelFamily6() {
  TFakeCpuid f;
  f.SetVendor("GenuineIntel", 4);
  // signature: family 6, model 0xD, stepping 8; 2 logical processors
  f.leaves[{1, 0}] = CpuidRegs{0x000006D8u, 0x00020000u, 0x00000201u,
                               (1u << 4) | (1u << 23) | (1u << 25) | (1u << 26) | (1u << 28)};
  f.leaves[{4, 0}] = CpuidRegs{(3u << 26), 0, 0, 0};
  f.leaves[{0x80000000u, 0}] = CpuidRegs{0x80000008u, 0, 0, 0};
  f.leaves[{0x80000001u, 0}] = CpuidRegs{0, 0, 0, 1u << 29};
  f.leaves[{2, 0}] = CpuidRegs{0x665B5001u, 0x80000000u, 0x00000000u, 0x007A7000u};
  return f;
}

TEST(CpuProbes, ReadTheirLeafBits) {
  const TFakeCpuid f = intelFamily6();
  EXPECT_EQ(cpu::CpuidSupported(f), 1);
  EXPECT_EQ(cpu::CpuidMaxLeaf(f), 4u);
  EXPECT_EQ(cpu::IsGenuineIntel(f), 1);
  EXPECT_EQ(cpu::CpuHasTsc(f), 1);
  EXPECT_EQ(cpu::CpuHasMmx(f), 1);
  EXPECT_EQ(cpu::CpuHasSse(f), 1);
  EXPECT_EQ(cpu::CpuHasSse2(f), 1);
  EXPECT_EQ(cpu::CpuHasHtt(f), 1);
  EXPECT_EQ(cpu::CpuHasSse3(f), 1);
  EXPECT_EQ(cpu::CpuHasSsse3(f), 1);
  EXPECT_EQ(cpu::CpuCoresPerPackage(f), 4);
  EXPECT_EQ(cpu::CpuHasIntel64(f), 1);
}

TEST(CpuProbes, FeatureRecordHoldsTheFieldsInOrder) {
  const TFakeCpuid f = intelFamily6();
  cpu::CpuFeatureRecord r;
  cpu::FillCpuFeatureRecord(&r, f);
  EXPECT_EQ(r.family, 6u);
  EXPECT_EQ(r.stepping, 8u);
  EXPECT_EQ(r.model, 0xDu);
  EXPECT_EQ(r.reserved4, 0u);
  EXPECT_EQ(r.featuresEdx, f.Query(1, 0).edx);
  EXPECT_EQ(r.cacheEax, 0x665B5001u);
  EXPECT_EQ(r.cacheEdx, 0x007A7000u);
  EXPECT_EQ(r.mmx, 1u);
  EXPECT_EQ(r.reserved9, 0u);
  EXPECT_EQ(r.sse, 1u);
  EXPECT_EQ(r.sse2, 1u);
  EXPECT_EQ(r.hyperThreading, 1u);
  EXPECT_EQ(r.sse3, 1u);
  EXPECT_EQ(r.intel64, 1u);
  EXPECT_EQ(r.ssse3, 1u);
  EXPECT_EQ(r.coresPerPackage, 4u);
}

TEST(CpuProbes, HyperThreadingNeedsMoreThanOneLogicalProcessor) {
  TFakeCpuid f = intelFamily6();
  f.leaves[{1, 0}].ebx = 0x00010000u;
  EXPECT_EQ(cpu::CpuHasHtt(f), 0);
}

TEST(CpuProbes, NoExtendedLeafMeansNoIntel64) {
  TFakeCpuid f = intelFamily6();
  f.leaves[{0x80000000u, 0}].eax = 0x80000000u; // 80000001h stays set but is not reported
  EXPECT_EQ(cpu::CpuHasIntel64(f), 0);
  cpu::CpuFeatureRecord r;
  cpu::FillCpuFeatureRecord(&r, f);
  EXPECT_EQ(r.intel64, 0u);
}

TEST(CpuProbes, OneCoreBelowLeafFour) {
  TFakeCpuid f = intelFamily6();
  f.SetVendor("GenuineIntel", 3);
  EXPECT_EQ(cpu::CpuCoresPerPackage(f), 1);
}

TEST(CpuProbes, OtherVendorIsNotIntel) {
  TFakeCpuid f = intelFamily6();
  f.SetVendor("AuthenticAMD", 4);
  EXPECT_EQ(cpu::IsGenuineIntel(f), 0);
}

TEST(CpuProbes, WithoutTheInstructionEverythingReadsZero) {
  TFakeCpuid f = intelFamily6();
  f.supported = false;
  EXPECT_EQ(cpu::CpuidSupported(f), 0);
  EXPECT_EQ(cpu::CpuHasSse2(f), 0);
  EXPECT_EQ(cpu::IsGenuineIntel(f), 0);
  cpu::CpuFeatureRecord r;
  r.family = 99;
  cpu::FillCpuFeatureRecord(&r, f);
  EXPECT_EQ(r.family, 0u);
  EXPECT_EQ(r.sse, 0u);
}

TEST(CacheDescriptor, FirstTableEntryPresentWins) {
  const TFakeCpuid f = intelFamily6();
  // present: 50 5B 66 (EAX without AL), 70 7A (EDX); EBX has bit 31 set and is ignored
  const cpu::CacheDescriptorEntry table[] = {{0x2C, 10}, {0x7A, 20}, {0x66, 30}, {0, 0}};
  EXPECT_EQ(cpu::FindCacheDescriptor(table, f), 20);
}

TEST(CacheDescriptor, QueryCountIsNotADescriptor) {
  const TFakeCpuid f = intelFamily6();
  const cpu::CacheDescriptorEntry table[] = {{0x01, 10}, {0, 0}};
  EXPECT_EQ(cpu::FindCacheDescriptor(table, f), -1);
}

TEST(CacheDescriptor, RegistersWithBit31AreIgnored) {
  TFakeCpuid f = intelFamily6();
  f.leaves[{2, 0}].ebx = 0x80000049u;
  const cpu::CacheDescriptorEntry table[] = {{0x49, 7}, {0, 0}};
  EXPECT_EQ(cpu::FindCacheDescriptor(table, f), -1);
}

TEST(CacheDescriptor, MoreThanOneQueryGivesMinusOne) {
  TFakeCpuid f = intelFamily6();
  f.leaves[{2, 0}].eax = 0x665B5002u;
  const cpu::CacheDescriptorEntry table[] = {{0x66, 30}, {0, 0}};
  EXPECT_EQ(cpu::FindCacheDescriptor(table, f), -1);
}

TEST(CpuProbes, ThisMachineHasTheX86_64Baseline) {
  EXPECT_EQ(cpu::CpuidSupported(), 1);
  EXPECT_EQ(cpu::CpuHasSse2(), 1);
  EXPECT_GE(cpu::CpuCoresPerPackage(), 1);
  const auto a = cpu::ReadTimeStampCounter();
  const auto b = cpu::ReadTimeStampCounter();
  EXPECT_GE(b, a);
}

} // namespace
