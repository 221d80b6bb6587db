// The common rules of the uncalled vector operations, row by row: a null pointer gives
// -8 and a length below 1 gives -6, in that order (one operation tests its length
// first), and a failing call writes nothing.
#include <array>
#include <cctype>
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

namespace S = Slbcbbasicdispatcher;
namespace B = Slbasicdispatcher;
namespace V = Vizazodizaro;
namespace A = Albasicdispatcher;

// A buffer big enough for every row's element type, filled with a pattern that no
// operation here could produce by accident.
struct alignas(16) Buffer {
  std::array<unsigned char, 256> bytes;
  Buffer() { bytes.fill(0xA5); }
  template <class T> T *as() { return reinterpret_cast<T *>(bytes.data()); }
  template <class T> const T *as() const { return reinterpret_cast<const T *>(bytes.data()); }
};

struct Row {
  const char *name;
  // Calls the operation on `dst`, with its first pointer argument null when `nullPtr`.
  std::function<int(Buffer &dst, const Buffer &src, bool nullPtr, int len)> call;
  bool lengthFirst = false;
};

std::ostream &operator<<(std::ostream &os, const Row &r) { return os << r.name; }

template <class T> T *orNull(T *p, bool nullPtr) { return nullPtr ? nullptr : p; }

#define ROW(name, expr)                                                                            \
  Row {                                                                                            \
    name, [](Buffer &d, const Buffer &s, bool n, int len) {                                        \
      (void)s;                                                                                     \
      return expr;                                                                                 \
    }                                                                                              \
  }

const Row kRows[] = {
    ROW("Real_64fc", S::ippsReal_64fc(orNull(s.as<const Ipp64fc>() , n), d.as<double>(), len)),
    ROW("Imag_64fc", S::ippsImag_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<double>(), len)),
    ROW("Copy_64fc", S::ippsCopy_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<Ipp64fc>(), len)),
    ROW("AddC_64fc_I", S::ippsAddC_64fc_I({1, 1}, orNull(d.as<Ipp64fc>(), n), len)),
    ROW("MulC_64fc_I", S::ippsMulC_64fc_I({1, 1}, orNull(d.as<Ipp64fc>(), n), len)),
    ROW("DivC_64fc_I", S::ippsDivC_64fc_I({1, 1}, orNull(d.as<Ipp64fc>(), n), len)),
    ROW("SubC_64fc_I", S::ippsSubC_64fc_I({1, 1}, orNull(d.as<Ipp64fc>(), n), len)),
    ROW("Normalize_64fc", S::ippsNormalize_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<Ipp64fc>(), len, {0, 0}, 1)),
    ROW("DotProd_64fc", S::ippsDotProd_64fc(s.as<const Ipp64fc>(), s.as<const Ipp64fc>(), len, orNull(d.as<Ipp64fc>(), n))),
    ROW("Threshold_64fc_I", S::ippsThreshold_64fc_I(orNull(d.as<Ipp64fc>(), n), len, 1.0, ippCmpLess)),
    ROW("Sqr_64fc_I", S::ippsSqr_64fc_I(orNull(d.as<Ipp64fc>(), n), len)),
    ROW("AutoCorr_64fc", S::ippsAutoCorr_64fc(orNull(s.as<const Ipp64fc>(), n), len, d.as<Ipp64fc>(), 2)),
    ROW("Threshold_64fc", S::ippsThreshold_64fc(s.as<const Ipp64fc>(), orNull(d.as<Ipp64fc>(), n), len, 1.0, ippCmpLess)),
    ROW("AutoCorr_NormA_64fc", S::ippsAutoCorr_NormA_64fc(s.as<const Ipp64fc>(), 2, orNull(d.as<Ipp64fc>(), n), len)),
    ROW("AutoCorr_NormB_64fc", S::ippsAutoCorr_NormB_64fc(orNull(s.as<const Ipp64fc>(), n), len, d.as<Ipp64fc>(), 2)),
    ROW("CrossCorr_64fc", S::ippsCrossCorr_64fc(orNull(s.as<const Ipp64fc>(), n), 2, s.as<const Ipp64fc>(), len, d.as<Ipp64fc>(), 2, 0)),
    ROW("Phase_64fc", S::ippsPhase_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<double>(), len)),
    ROW("Magnitude_64fc", S::ippsMagnitude_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<double>(), len)),
    ROW("PowerSpectr_64fc", S::ippsPowerSpectr_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<double>(), len)),
    ROW("Sqr_64fc", S::ippsSqr_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<Ipp64fc>(), len)),
    ROW("Sqrt_64fc_I", S::ippsSqrt_64fc_I(orNull(d.as<Ipp64fc>(), n), len)),
    ROW("Sqrt_64fc", S::ippsSqrt_64fc(s.as<const Ipp64fc>(), orNull(d.as<Ipp64fc>(), n), len)),
    ROW("Copy_16s", S::ippsCopy_16s(orNull(s.as<const short>(), n), d.as<short>(), len)),
    ROW("AddC_32s_ISfs", S::ippsAddC_32s_ISfs(1, orNull(d.as<int>(), n), len, 0)),
    ROW("MulC_32s_ISfs", S::ippsMulC_32s_ISfs(2, orNull(d.as<int>(), n), len, 0)),
    ROW("SubC_32s_ISfs", S::ippsSubC_32s_ISfs(1, orNull(d.as<int>(), n), len, 0)),
    ROW("DotProd_32s_Sfs", S::ippsDotProd_32s_Sfs(orNull(s.as<const int>(), n), s.as<const int>(), len, d.as<int>(), 0)),
    ROW("AndC_32u_I", S::ippsAndC_32u_I(1u, orNull(d.as<unsigned int>(), n), len)),
    ROW("And_32u_I", S::ippsAnd_32u_I(orNull(s.as<const unsigned int>(), n), d.as<unsigned int>(), len)),
    ROW("OrC_32u_I", S::ippsOrC_32u_I(1u, orNull(d.as<unsigned int>(), n), len)),
    ROW("Or_32u_I", S::ippsOr_32u_I(orNull(s.as<const unsigned int>(), n), d.as<unsigned int>(), len)),
    ROW("XorC_32u_I", S::ippsXorC_32u_I(1u, orNull(d.as<unsigned int>(), n), len)),
    ROW("Xor_32u_I", S::ippsXor_32u_I(orNull(s.as<const unsigned int>(), n), d.as<unsigned int>(), len)),
    ROW("LShiftC_32s_I", S::ippsLShiftC_32s_I(1, orNull(d.as<int>(), n), len)),
    ROW("RShiftC_32s_I", S::ippsRShiftC_32s_I(1, orNull(d.as<int>(), n), len)),
    ROW("AddC_32s_Sfs", B::ippsAddC_32s_Sfs(orNull(s.as<const int>(), n), 1, d.as<int>(), len, 0)),
    ROW("AddC_64f", B::ippsAddC_64f(orNull(s.as<const double>(), n), 1, d.as<double>(), len)),
    ROW("SubC_64f", B::ippsSubC_64f(s.as<const double>(), 1, orNull(d.as<double>(), n), len)),
    ROW("MulC_64f", B::ippsMulC_64f(orNull(s.as<const double>(), n), 1, d.as<double>(), len)),
    ROW("DivC_64f", B::ippsDivC_64f(orNull(s.as<const double>(), n), 0, d.as<double>(), len)),
    ROW("AddC_64fc", B::ippsAddC_64fc(orNull(s.as<const Ipp64fc>(), n), {1, 1}, d.as<Ipp64fc>(), len)),
    ROW("AndC_32u", B::ippsAndC_32u(orNull(s.as<const unsigned int>(), n), 1u, d.as<unsigned int>(), len)),
    ROW("Add_64f", B::ippsAdd_64f(s.as<const double>(), orNull(s.as<const double>(), n), d.as<double>(), len)),
    Row{"Add_64fc",
        [](Buffer& d, const Buffer& s, bool n, int len) {
            return B::ippsAdd_64fc(orNull(s.as<const Ipp64fc>(), n), s.as<const Ipp64fc>(), d.as<Ipp64fc>(), len);
        },
        true},
    ROW("Sum_64f", B::ippsSum_64f(s.as<const double>(), len, orNull(d.as<double>(), n))),
    ROW("WinBartlett_64f_I", B::ippsWinBartlett_64f_I(orNull(d.as<double>(), n), len)),
    ROW("WinBartlett_64f", B::ippsWinBartlett_64f(orNull(s.as<const double>(), n), d.as<double>(), len)),
    ROW("WinBlackman_64f_I", B::ippsWinBlackman_64f_I(orNull(d.as<double>(), n), len, 0.16)),
    ROW("WinBlackman_64f", B::ippsWinBlackman_64f(s.as<const double>(), orNull(d.as<double>(), n), len, 0.16)),
    ROW("WinHamming_64f_I", B::ippsWinHamming_64f_I(orNull(d.as<double>(), n), len)),
    ROW("WinHamming_64f", B::ippsWinHamming_64f(orNull(s.as<const double>(), n), d.as<double>(), len)),
    ROW("WinHann_64f_I", B::ippsWinHann_64f_I(orNull(d.as<double>(), n), len)),
    ROW("WinHann_64f", B::ippsWinHann_64f(orNull(s.as<const double>(), n), d.as<double>(), len)),
    ROW("WinKaiser_64f_I", B::ippsWinKaiser_64f_I(orNull(d.as<double>(), n), len, 1.0f)),
    ROW("WinKaiser_64f", B::ippsWinKaiser_64f(orNull(s.as<const double>(), n), d.as<double>(), len, 1.0f)),
    ROW("SubC_32s_Sfs", B::ippsSubC_32s_Sfs(orNull(s.as<const int>(), n), 1, d.as<int>(), len, 0)),
    ROW("SubC_64fc", B::ippsSubC_64fc(orNull(s.as<const Ipp64fc>(), n), {1, 1}, d.as<Ipp64fc>(), len)),
    ROW("SubCRev_32s_Sfs", B::ippsSubCRev_32s_Sfs(orNull(s.as<const int>(), n), 1, d.as<int>(), len, 0)),
    ROW("SubCRev_64f", B::ippsSubCRev_64f(orNull(s.as<const double>(), n), 1, d.as<double>(), len)),
    ROW("SubCRev_64fc", B::ippsSubCRev_64fc(orNull(s.as<const Ipp64fc>(), n), {1, 1}, d.as<Ipp64fc>(), len)),
    ROW("DivC_64fc", B::ippsDivC_64fc(orNull(s.as<const Ipp64fc>(), n), {0, 0}, d.as<Ipp64fc>(), len)),
    ROW("MulC_64fc", B::ippsMulC_64fc(orNull(s.as<const Ipp64fc>(), n), {1, 1}, d.as<Ipp64fc>(), len)),
    ROW("MulC_32s_Sfs", B::ippsMulC_32s_Sfs(orNull(s.as<const int>(), n), 1, d.as<int>(), len, 0)),
    ROW("OrC_32u", B::ippsOrC_32u(orNull(s.as<const unsigned int>(), n), 1u, d.as<unsigned int>(), len)),
    ROW("XorC_32u", B::ippsXorC_32u(orNull(s.as<const unsigned int>(), n), 1u, d.as<unsigned int>(), len)),
    ROW("LShiftC_32s", B::ippsLShiftC_32s(orNull(s.as<const int>(), n), -1, d.as<int>(), len)),
    ROW("RShiftC_32s", B::ippsRShiftC_32s(orNull(s.as<const int>(), n), -1, d.as<int>(), len)),
    ROW("Move_8u", Slscopedispatcher::ippsMove_8u(orNull(s.as<const unsigned char>(), n), d.as<unsigned char>(), len)),
    ROW("Add_16s_I", V::ippsAdd_16s_I(orNull(s.as<const short>(), n), d.as<short>(), len)),
    ROW("ConjCcs_64fc_I", V::ippsConjCcs_64fc_I(orNull(d.as<Ipp64fc>(), n), len)),
    ROW("Magnitude_64fc (audio)", V::ippsMagnitude_64fc(orNull(s.as<const Ipp64fc>(), n), d.as<double>(), len)),
    ROW("Threshold_LTValGTVal_16s_I", V::ippsThreshold_LTValGTVal_16s_I(orNull(d.as<short>(), n), len, 5, 0, 1, 0)),
    ROW("Sub_32f_I", V::ippsSub_32f_I(orNull(s.as<const float>(), n), d.as<float>(), len)),
    ROW("MulC_32f", V::ippsMulC_32f(orNull(s.as<const float>(), n), 2, d.as<float>(), len)),
    ROW("MulC_32f_I", V::ippsMulC_32f_I(2, orNull(d.as<float>(), n), len)),
    ROW("DivC_32f_I", V::ippsDivC_32f_I(0, orNull(d.as<float>(), n), len)),
    ROW("Convert_8s16s", A::ippsConvert_8s16s(orNull(s.as<const signed char>(), n), d.as<short>(), len)),
    ROW("MulC_8u_ISfs", A::ippsMulC_8u_ISfs(2, orNull(d.as<unsigned char>(), n), len, 0)),
    ROW("Conv_64f", S::ippsConv_64f(orNull(s.as<const double>(), n), len, s.as<const double>(), 2, d.as<double>())),
    ROW("AutoCorr_64f", S::ippsAutoCorr_64f(orNull(s.as<const double>(), n), len, d.as<double>(), 2)),
    ROW("AutoCorr_NormA_64f", S::ippsAutoCorr_NormA_64f(s.as<const double>(), 2, orNull(d.as<double>(), n), len)),
    ROW("AutoCorr_NormB_64f", S::ippsAutoCorr_NormB_64f(orNull(s.as<const double>(), n), len, d.as<double>(), 2)),
    ROW("CrossCorr_64f", S::ippsCrossCorr_64f(s.as<const double>(), 2, orNull(s.as<const double>(), n), len, d.as<double>(), 2, 0)),
};

#undef ROW

class CommonRules : public ::testing::TestWithParam<Row> {};

TEST_P(CommonRules, NullBeforeLengthAndNothingWritten) {
  const Row &r = GetParam();
  Buffer src;
  Buffer dst;
  const Buffer untouched;
  EXPECT_EQ(r.call(dst, src, true, 4), -8);
  EXPECT_EQ(r.call(dst, src, false, 0), -6);
  EXPECT_EQ(r.call(dst, src, false, -3), -6);
  EXPECT_EQ(r.call(dst, src, true, 0), r.lengthFirst ? -6 : -8);
  EXPECT_EQ(std::memcmp(dst.bytes.data(), untouched.bytes.data(), dst.bytes.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Uncalled, CommonRules, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) {
                           std::string name;
                           for (const char *c = info.param.name; *c; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c)))
                               name += *c;
                           return name;
                         });

} // namespace
