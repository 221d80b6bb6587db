#include "framework/data/Slcrealbuffer.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"

namespace sl = Slbasicdispatcher;
namespace slb = Slbcbbasicdispatcher;

namespace {

// The value truncated toward zero, reduced modulo 2^16 so that every finite
// double has a defined low 8 or 16 bits; NaN and infinities give 0.
int64_t LowBits(double v, bool roundToNearest) {
  if (roundToNearest)
    v += 0.5;
  if (!std::isfinite(v))
    return 0;
  return static_cast<int64_t>(std::fmod(std::trunc(v), 65536.0));
}

std::vector<double> Values(const TSLCRealBuffer &B) {
  return std::vector<double>(B.Read(), B.Read() + B.Count());
}

IppCmpOp Comparison(TSLThresholdType T) { return T == ttAbove ? ippCmpGreater : ippCmpLess; }

} // namespace

// ---------------------------------------------------------------------------
// Shared operations

template <class TSelf> int TSLCRealOperationsT<TSelf>::Common(const TSLCRealBuffer &B) const {
  return B.Count() < Self().Count() ? B.Count() : Self().Count();
}

template <class TSelf> double *TSLCRealOperationsT<TSelf>::WriteFrom(const TSLCRealBuffer &B) {
  // Writing without the data would lose the source when it is this buffer.
  return B.RealBuffer() == Self().RealBuffer() ? Self().Modify() : Self().Write();
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::ToChar(char *Dst, bool RoundToNearest) const {
  const double *src = Self().Read();
  for (int i = 0; i < Self().Count(); ++i)
    Dst[i] = static_cast<char>(static_cast<uint8_t>(LowBits(src[i], RoundToNearest)));
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::ToShort(short *Dst, bool RoundToNearest) const {
  const double *src = Self().Read();
  for (int i = 0; i < Self().Count(); ++i)
    Dst[i] = static_cast<short>(static_cast<uint16_t>(LowBits(src[i], RoundToNearest)));
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::ToInt(int *Dst, bool RoundToNearest) const {
  (void)sl::ippsConvert_64f32s_Sfs(Self().Read(), Dst, Self().Count(),
                                   RoundToNearest ? ippRndNear : ippRndZero, 0);
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::ToDouble(double *Dst) const {
  (void)sl::ippsCopy_64f(Self().Read(), Dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::ToFloat(float *Dst) const {
  (void)sl::ippsConvert_64f32f(Self().Read(), Dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::FromChar(const char *Src) {
  double *dst = Self().Write();
  for (int i = 0; i < Self().Count(); ++i)
    dst[i] = static_cast<signed char>(Src[i]);
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::FromShort(const short *Src) {
  double *dst = Self().Write();
  (void)slb::ippsConvert_16s64f_Sfs(Src, dst, Self().Count(), 0);
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::FromInt(const int *Src) {
  double *dst = Self().Write();
  (void)sl::ippsConvert_32s64f(Src, dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::FromDouble(const double *Src) {
  double *dst = Self().Write();
  (void)sl::ippsCopy_64f(Src, dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::FromFloat(const float *Src) {
  double *dst = Self().Write();
  (void)sl::ippsConvert_32f64f(Src, dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Set(double V) {
  double *dst = Self().Write();
  (void)sl::ippsSet_64f(V, dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Zero() {
  double *dst = Self().Write();
  (void)sl::ippsZero_64f(dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Copy(const TSLCRealBuffer &B) {
  double *dst = WriteFrom(B);
  (void)sl::ippsCopy_64f(B.Read(), dst, Common(B));
}

template <class TSelf>
template <class Op>
void TSLCRealOperationsT<TSelf>::WithConstant(Op Operation, double V) {
  double *dst = Self().Modify();
  (void)Operation(V, dst, Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Add(double V) {
  if (V != 0)
    WithConstant(sl::ippsAddC_64f_I, V);
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Sub(double V) {
  if (V != 0)
    WithConstant(sl::ippsSubC_64f_I, V);
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Multiply(double V) {
  if (V != 1)
    WithConstant(sl::ippsMulC_64f_I, V);
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Divide(double V) {
  if (V != 1 && V != 0)
    WithConstant(sl::ippsDivC_64f_I, V);
}

#define SLC_BINARY_IN_PLACE(Name, Op)                                                              \
  template <class TSelf> void TSLCRealOperationsT<TSelf>::Name(const TSLCRealBuffer &B) {          \
    double *dst = Self().Modify();                                                                 \
    (void)sl::Op(B.Read(), dst, Common(B));                                                        \
  }
SLC_BINARY_IN_PLACE(Add, ippsAdd_64f_I)
SLC_BINARY_IN_PLACE(Sub, ippsSub_64f_I)
SLC_BINARY_IN_PLACE(Multiply, ippsMul_64f_I)
SLC_BINARY_IN_PLACE(Divide, ippsDiv_64f_I)
#undef SLC_BINARY_IN_PLACE

#define SLC_UNARY(Name, OpI, Op)                                                                   \
  template <class TSelf> void TSLCRealOperationsT<TSelf>::Name() {                                 \
    double *dst = Self().Modify();                                                                 \
    (void)slb::OpI(dst, Self().Count());                                                           \
  }                                                                                                \
  template <class TSelf> void TSLCRealOperationsT<TSelf>::Name(const TSLCRealBuffer &B) {          \
    double *dst = WriteFrom(B);                                                                    \
    (void)slb::Op(B.Read(), dst, Common(B));                                                       \
  }
SLC_UNARY(Abs, ippsAbs_64f_I, ippsAbs_64f)
SLC_UNARY(Sqr, ippsSqr_64f_I, ippsSqr_64f)
SLC_UNARY(Sqrt, ippsSqrt_64f_I, ippsSqrt_64f)
SLC_UNARY(Exp, ippsExp_64f_I, ippsExp_64f)
SLC_UNARY(Ln, ippsLn_64f_I, ippsLn_64f)
#undef SLC_UNARY

template <class TSelf>
void TSLCRealOperationsT<TSelf>::Normalize(const TSLCRealBuffer &B, double Sub, double Div) {
  double *dst = WriteFrom(B);
  (void)slb::ippsNormalize_64f(B.Read(), dst, Common(B), Sub, Div);
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Normalize(double Sub, double Div) {
  double *dst = Self().Modify();
  (void)slb::ippsNormalize_64f(dst, dst, Self().Count(), Sub, Div);
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::Threshold(double Level, TSLThresholdType T) {
  double *dst = Self().Modify();
  (void)slb::ippsThreshold_64f_I(dst, Self().Count(), Level, Comparison(T));
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::Threshold(const TSLCRealBuffer &B, double Level,
                                           TSLThresholdType T) {
  double *dst = WriteFrom(B);
  (void)slb::ippsThreshold_64f(B.Read(), dst, Common(B), Level, Comparison(T));
}

template <class TSelf> double TSLCRealOperationsT<TSelf>::Dot(const TSLCRealBuffer &B) const {
  double result = 0;
  (void)slb::ippsDotProd_64f(B.Read(), Self().Read(), Common(B), &result);
  return result;
}

template <class TSelf>
template <class Op>
double TSLCRealOperationsT<TSelf>::Statistic(Op Operation) const {
  double result = 0;
  (void)Operation(Self().Read(), Self().Count(), &result);
  return result;
}

template <class TSelf> double TSLCRealOperationsT<TSelf>::Max() const {
  return Statistic(sl::ippsMax_64f);
}
template <class TSelf> double TSLCRealOperationsT<TSelf>::Min() const {
  return Statistic(sl::ippsMin_64f);
}

template <class TSelf> double TSLCRealOperationsT<TSelf>::Max(int &Index) const {
  double result = 0;
  Index = -1;
  (void)slb::ippsMaxIndx_64f(Self().Read(), Self().Count(), &result, &Index);
  return result;
}

template <class TSelf> double TSLCRealOperationsT<TSelf>::Min(int &Index) const {
  double result = 0;
  Index = -1;
  (void)slb::ippsMinIndx_64f(Self().Read(), Self().Count(), &result, &Index);
  return result;
}

template <class TSelf> double TSLCRealOperationsT<TSelf>::Mean() const {
  return Statistic(slb::ippsMean_64f);
}
template <class TSelf> double TSLCRealOperationsT<TSelf>::SDev() const {
  return Statistic(slb::ippsStdDev_64f);
}

template <class TSelf>
double TSLCRealOperationsT<TSelf>::Norm(const TSLCRealBuffer &B, TSLNormType T) const {
  double result = 0;
  const int n = Common(B);
  switch (T) {
  case ntL1:
    (void)slb::ippsNormDiff_L1_64f(B.Read(), Self().Read(), n, &result);
    break;
  case ntL2:
    (void)slb::ippsNormDiff_L2_64f(B.Read(), Self().Read(), n, &result);
    break;
  case ntInf:
    (void)slb::ippsNormDiff_Inf_64f(B.Read(), Self().Read(), n, &result);
    break;
  }
  return result;
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::ConvolveValues(const std::vector<double> &A,
                                                const std::vector<double> &B) {
  const int na = static_cast<int>(A.size()), nb = static_cast<int>(B.size());
  if (na <= 0 || nb <= 0)
    return;
  std::vector<double> result(A.size() + B.size() - 1);
  (void)slb::ippsConv_64f(A.data(), na, B.data(), nb, result.data());
  const int n = static_cast<int>(result.size());
  Self().Resize(n);
  if (Self().Count() == n)
    (void)sl::ippsCopy_64f(result.data(), Self().Write(), n);
}

// The sources are copied first: either may be this buffer, which is resized
// (and may move) before the result goes in.
template <class TSelf>
void TSLCRealOperationsT<TSelf>::Convolve(const TSLCRealBuffer &A, const TSLCRealBuffer &B) {
  ConvolveValues(Values(A), Values(B));
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::Convolve(const TSLCRealBuffer &B) {
  ConvolveValues(SelfValues(), Values(B));
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::AutoCorr(const TSLCRealBuffer &A, TSLAutoCorrType T) {
  const std::vector<double> a = Values(A);
  double *dst = Self().Write();
  const int n = Self().Count();
  const int na = static_cast<int>(a.size());
  if (T == acNormA)
    (void)slb::ippsAutoCorr_NormA_64f(a.data(), na, dst, n);
  else if (T == acNormB)
    (void)slb::ippsAutoCorr_NormB_64f(a.data(), na, dst, n);
  else
    (void)slb::ippsAutoCorr_64f(a.data(), na, dst, n);
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::CrossCorrValues(const std::vector<double> &A,
                                                 const std::vector<double> &B, int LowLag) {
  double *dst = Self().Write();
  (void)slb::ippsCrossCorr_64f(A.data(), static_cast<int>(A.size()), B.data(),
                               static_cast<int>(B.size()), dst, Self().Count(), LowLag);
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::CrossCorr(const TSLCRealBuffer &A, const TSLCRealBuffer &B,
                                           int LowLag) {
  CrossCorrValues(Values(A), Values(B), LowLag);
}

template <class TSelf>
void TSLCRealOperationsT<TSelf>::CrossCorr(const TSLCRealBuffer &B, int LowLag) {
  CrossCorrValues(SelfValues(), Values(B), LowLag);
}

template <class TSelf> std::vector<double> TSLCRealOperationsT<TSelf>::SelfValues() const {
  return std::vector<double>(Self().Read(), Self().Read() + Self().Count());
}

template <class TSelf> void TSLCRealOperationsT<TSelf>::dB(int Bits) {
  Divide(std::ldexp(1.0, Bits - 1));
  Ln();
  Multiply(20 / std::log(10.0));
}

template <class TSelf> bool TSLCRealOperationsT<TSelf>::IsEqual(const TSLCRealBuffer &B) const {
  if (B.Count() != Self().Count())
    return false;
  return Self().Count() == 0 ||
         std::memcmp(B.Read(), Self().Read(),
                     static_cast<size_t>(Self().Count()) * sizeof(double)) == 0;
}

template class TSLCRealOperationsT<TSLCRealBuffer>;
template class TSLCRealOperationsT<TSLCRealDataAccess>;

// ---------------------------------------------------------------------------
// TSLCRealBuffer

TSLCRealBuffer::TSLCRealBuffer(int Size)
    : buffer_(com::MakeCom<TSLRealBuffer>(static_cast<uint32_t>(Size))) {
  PopulateCahces();
}

TSLCRealBuffer::TSLCRealBuffer(TSLRealBuffer *Buffer) : buffer_(Buffer) { PopulateCahces(); }

namespace {
// A new buffer object sharing Source's store; an empty buffer for no source.
com::TComPtr<TSLRealBuffer> Sharing(TSLRealBuffer *Source) {
  if (Source == nullptr)
    return com::MakeCom<TSLRealBuffer>();
  return com::MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(Source));
}
} // namespace

TSLCRealBuffer::TSLCRealBuffer(const TSLCRealBuffer &Other)
    : TSLCGenericBuffer(Other), TSLCRealOperationsT(Other), buffer_(Sharing(Other.buffer_.Get())) {
  PopulateCahces();
}

TSLCRealBuffer::TSLCRealBuffer(const TSLCRealDataAccess &Access)
    : buffer_(Sharing(Access.RealBuffer())) {
  PopulateCahces();
}

TSLCRealBuffer::TSLCRealBuffer(const double *Data, int Count)
    : buffer_(com::MakeCom<TSLRealBuffer>(Data, static_cast<uint32_t>(Count))) {
  PopulateCahces();
}

TSLCRealBuffer &TSLCRealBuffer::operator=(const TSLCRealBuffer &Other) {
  Assign(Other);
  return *this;
}

TSLCRealBuffer::~TSLCRealBuffer() = default;

void TSLCRealBuffer::Assign(const TSLCRealBuffer &Other) {
  if (&Other == this)
    return;
  buffer_->Assign(Other.buffer_.Get());
  PopulateCahces();
}

void TSLCRealBuffer::Assign(const double *Data, int Count) {
  Resize(Count);
  (void)sl::ippsCopy_64f(Data, Write(), Count);
}

double *TSLCRealBuffer::Write() {
  Unique(false);
  return reinterpret_cast<double *>(DataReference());
}

double *TSLCRealBuffer::Modify() {
  Unique(true);
  return reinterpret_cast<double *>(DataReference());
}

void TSLCRealBuffer::Resize(int Count) {
  buffer_->Resize(static_cast<uint32_t>(Count), false);
  PopulateCahces();
}

TSLCRealDataAccess TSLCRealBuffer::Data() const { return TSLCRealDataAccess(*this); }

// ---------------------------------------------------------------------------
// TSLCRealDataAccess

TSLCRealDataAccess::TSLCRealDataAccess(const TSLCRealBuffer &Wrapper) : TSLCDataAccess(Wrapper) {
  Register();
}

TSLRealBuffer *TSLCRealDataAccess::RealBuffer() const {
  return GetWrapper() == nullptr ? nullptr
                                 : static_cast<const TSLCRealBuffer *>(GetWrapper())->RealBuffer();
}

void TSLCRealDataAccess::Resize(int Count) {
  if (Count == GetSize() || GetWrapper() == nullptr)
    return;
  const_cast<TSLCRealBuffer *>(static_cast<const TSLCRealBuffer *>(GetWrapper()))->Resize(Count);
}

void TSLCRealDataAccess::Assign(const TSLCRealDataAccess &Other) {
  if (&Other == this || Other.GetWrapper() == GetWrapper() || GetWrapper() == nullptr ||
      Other.RealBuffer() == nullptr)
    return;
  SetWrite();
  RealBuffer()->Assign(Other.RealBuffer());
  // The buffer now uses Other's store: the cached pointers must follow it.
  GetWrapper()->PopulateCahces();
}
