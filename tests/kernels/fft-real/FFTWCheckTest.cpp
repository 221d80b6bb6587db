// FFTW as an independent check of a few sizes, complex and real.
#include <vector>

#include <fftw3.h>
#include <gtest/gtest.h>

#include "kernels/fft-real/FFTReal64.h"
#include "tests/kernels/fft-real/FFTReference.h"
#include "tests/support/RandomVectors.h"

using namespace kernels::fft_real;

namespace {

class FFTWCheck : public ::testing::TestWithParam<int> {};

TEST_P(FFTWCheck, ComplexForwardAndInverseAgreeWithFftw) {
  const int order = GetParam();
  const int N = 1 << order;
  const std::vector<double> x = test_support::RandomVector<double>(2 * N, 700 + order);
  FFTSpec_C_64fc *spec = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&spec, order, kFFTNoDivByAny, 0), 0);
  for (int sign : {FFTW_FORWARD, FFTW_BACKWARD}) {
    fftw_complex *in = fftw_alloc_complex(N);
    fftw_complex *out = fftw_alloc_complex(N);
    fftw_plan plan = fftw_plan_dft_1d(N, in, out, sign, FFTW_ESTIMATE);
    for (int i = 0; i < N; ++i) {
      in[i][0] = x[2 * i];
      in[i][1] = x[2 * i + 1];
    }
    fftw_execute(plan);
    std::vector<long double> ref(2 * N);
    for (int i = 0; i < N; ++i) {
      ref[2 * i] = out[i][0];
      ref[2 * i + 1] = out[i][1];
    }
    std::vector<double> y(2 * N);
    auto op = sign == FFTW_FORWARD ? ippsFFTFwd_CToC_64fc : ippsFFTInv_CToC_64fc;
    ASSERT_EQ(op(reinterpret_cast<const Ipp64fc *>(x.data()), reinterpret_cast<Ipp64fc *>(y.data()),
                 spec, nullptr),
              0);
    EXPECT_LE(fftref::relError(y.data(), ref), fftref::tolerance(order)) << "sign " << sign;
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
  }
  ippsFFTFree_C_64fc(spec);
}

TEST_P(FFTWCheck, RealForwardAgreesWithFftwInPermAndPack) {
  const int order = GetParam();
  const int N = 1 << order;
  const std::vector<double> x = test_support::RandomVector<double>(N, 800 + order);
  double *in = fftw_alloc_real(N);
  fftw_complex *out = fftw_alloc_complex(N / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(N, in, out, FFTW_ESTIMATE);
  std::copy(x.begin(), x.end(), in);
  fftw_execute(plan);
  std::vector<long double> perm(N), pack(N);
  perm[0] = pack[0] = out[0][0];
  perm[1] = pack[N - 1] = out[N / 2][0];
  for (int k = 1; k < N / 2; ++k) {
    perm[2 * k] = pack[2 * k - 1] = out[k][0];
    perm[2 * k + 1] = pack[2 * k] = out[k][1];
  }
  FFTSpec_R_64f *spec = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_R_64f(&spec, order, kFFTNoDivByAny, 0), 0);
  std::vector<double> y(N);
  ASSERT_EQ(ippsFFTFwd_RToPerm_64f(x.data(), y.data(), spec, nullptr), 0);
  EXPECT_LE(fftref::relError(y.data(), perm), fftref::tolerance(order));
  ASSERT_EQ(ippsFFTFwd_RToPack_64f(x.data(), y.data(), spec, nullptr), 0);
  EXPECT_LE(fftref::relError(y.data(), pack), fftref::tolerance(order));
  ippsFFTFree_R_64f(spec);
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTWCheck, ::testing::Values(2, 4, 7, 10, 12, 15, 18, 20, 21, 22));

} // namespace
