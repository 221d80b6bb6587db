// Scaled integer arithmetic on 16-byte registers: 32-bit elements (sums, differences and
// products with a constant or a second vector) and 8-bit elements (sums, differences and
// products of two vectors).
//
// Every result is the generic's bit for bit: the exact value v times 2^-sf, rounded half
// to even and saturated. The 32-bit kernels form v exactly in 64-bit lanes (two per
// register; products through the unsigned 32 x 32 multiply with a sign correction), so no
// product is rounded through a double; sums and differences with sf 0 or 1 stay in 32-bit
// lanes. The 8-bit kernels form v in 32-bit lanes. Scale classes: sf 0 saturates;
// positive sf adds 2^(sf-1) - 1 and the low bit of the truncated quotient before the
// arithmetic shift (rounding half to even); negative sf saturates, shifts left and
// saturates again; beyond the shifts that can still change a result, every value rounds
// to 0 (positive sf) or to its saturated sign (negative sf).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/common/ElementLoops.h"

namespace kernels::basic {

namespace {

__m128i loadu(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }
void storeu(void *p, __m128i v) { _mm_storeu_si128(static_cast<__m128i *>(p), v); }

// ---- 64-bit lanes ---------------------------------------------------------------------

const __m128i kSign64 = _mm_set1_epi64x(INT64_MIN);

// Arithmetic shift right of 64-bit lanes by s (0-63): a logical shift of the value
// offset by 2^63, minus the offset shifted.
__m128i sra64(__m128i x, int s) {
  const __m128i by = _mm_cvtsi32_si128(s);
  return _mm_sub_epi64(_mm_srl_epi64(_mm_xor_si128(x, kSign64), by), _mm_srl_epi64(kSign64, by));
}

// Sign extension of lanes 0-1 (lo) or 2-3 (hi) of four 32-bit values to 64 bits.
__m128i widenLo(__m128i x) { return _mm_unpacklo_epi32(x, _mm_srai_epi32(x, 31)); }
__m128i widenHi(__m128i x) { return _mm_unpackhi_epi32(x, _mm_srai_epi32(x, 31)); }

// Signed products of the 32-bit values in dwords 0 and 2 of a and b, as 64-bit lanes:
// the unsigned products less 2^32 x (b where a < 0, plus a where b < 0).
__m128i mulSigned(__m128i a, __m128i b) {
  const __m128i unsignedProduct = _mm_mul_epu32(a, b);
  const __m128i fix = _mm_add_epi32(_mm_and_si128(_mm_srai_epi32(a, 31), b),
                                    _mm_and_si128(_mm_srai_epi32(b, 31), a));
  return _mm_sub_epi64(unsignedProduct, _mm_slli_epi64(fix, 32));
}

// 64-bit lanes saturated to 32 bits, each result in both dwords of its lane.
__m128i saturate32(__m128i v) {
  const __m128i hi = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 1, 1));
  const __m128i lo = _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 0, 0));
  const __m128i fits = _mm_cmpeq_epi32(hi, _mm_srai_epi32(lo, 31));
  const __m128i limit = _mm_xor_si128(_mm_srai_epi32(hi, 31), _mm_set1_epi32(INT32_MAX));
  return _mm_or_si128(_mm_and_si128(fits, lo), _mm_andnot_si128(fits, limit));
}

// The scale rule, chosen once per call. `shift` and `half` belong to the class.
struct Scale32 {
  enum Kind { Saturate, RoundShift, Zero, LeftShift, SignOnly } kind;
  int shift = 0;
  __m128i half; // 2^(sf-1) - 1 in both lanes

  explicit Scale32(int sf, int zeroAbove) : half(_mm_setzero_si128()) {
    if (sf == 0) {
      kind = Saturate;
    } else if (sf > zeroAbove) {
      kind = Zero;
    } else if (sf > 0) {
      kind = RoundShift;
      shift = sf;
      half = _mm_set1_epi64x((std::int64_t{1} << (sf - 1)) - 1);
    } else if (sf >= -31) {
      kind = LeftShift;
      shift = -sf;
    } else {
      kind = SignOnly;
    }
  }

  // v: two exact 64-bit values; the result in both dwords of each lane.
  __m128i apply(__m128i v) const {
    switch (kind) {
    case Saturate:
      break;
    case RoundShift: {
      const __m128i odd = _mm_and_si128(sra64(v, shift), _mm_set1_epi64x(1));
      v = sra64(_mm_add_epi64(_mm_add_epi64(v, half), odd), shift);
      break;
    }
    case Zero:
      return _mm_setzero_si128();
    case LeftShift: {
      // Saturating first keeps the shifted value within 64 bits and saturates alike.
      const __m128i s = saturate32(v);
      v = _mm_sll_epi64(widenLo(_mm_shuffle_epi32(s, _MM_SHUFFLE(3, 2, 2, 0))),
                        _mm_cvtsi32_si128(shift));
      break;
    }
    case SignOnly: {
      const __m128i hi = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 1, 1));
      const __m128i lo = _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 0, 0));
      const __m128i zero = _mm_cmpeq_epi32(_mm_or_si128(hi, lo), _mm_setzero_si128());
      const __m128i limit = _mm_xor_si128(_mm_srai_epi32(hi, 31), _mm_set1_epi32(INT32_MAX));
      return _mm_andnot_si128(zero, limit);
    }
    }
    return saturate32(v);
  }
};

// Four results (two lanes each from lo and hi, in both dwords) packed into four dwords.
__m128i pack4(__m128i lo, __m128i hi) {
  return _mm_unpacklo_epi64(_mm_shuffle_epi32(lo, _MM_SHUFFLE(3, 3, 2, 0)),
                            _mm_shuffle_epi32(hi, _MM_SHUFFLE(3, 3, 2, 0)));
}

enum class Op32 { Add, Sub, SubRev, Mul };

// The exact values of op(a, b) for four 32-bit lanes, as two registers of 64-bit lanes.
template <Op32 op> void exact4(__m128i a, __m128i b, __m128i &lo, __m128i &hi) {
  if constexpr (op == Op32::Mul) {
    lo = mulSigned(_mm_shuffle_epi32(a, _MM_SHUFFLE(1, 1, 0, 0)),
                   _mm_shuffle_epi32(b, _MM_SHUFFLE(1, 1, 0, 0)));
    hi = mulSigned(_mm_shuffle_epi32(a, _MM_SHUFFLE(3, 3, 2, 2)),
                   _mm_shuffle_epi32(b, _MM_SHUFFLE(3, 3, 2, 2)));
  } else if constexpr (op == Op32::Add) {
    lo = _mm_add_epi64(widenLo(a), widenLo(b));
    hi = _mm_add_epi64(widenHi(a), widenHi(b));
  } else if constexpr (op == Op32::Sub) {
    lo = _mm_sub_epi64(widenLo(a), widenLo(b));
    hi = _mm_sub_epi64(widenHi(a), widenHi(b));
  } else {
    lo = _mm_sub_epi64(widenLo(b), widenLo(a));
    hi = _mm_sub_epi64(widenHi(b), widenHi(a));
  }
}

// Sums and differences with sf 0 or 1 stay in 32-bit lanes: x - y is formed with x the
// minuend (SubRev swaps its operands). sf 0 saturates where the operands' signs show an
// overflow; sf 1 halves each operand, adds the carry of the low bits and rounds an exact
// half to even; the difference's one result beyond 2^31 - 1 (2^32 - 1 halved) is clamped.
template <bool subtract> __m128i saturated32(__m128i x, __m128i y) {
  const __m128i r = subtract ? _mm_sub_epi32(x, y) : _mm_add_epi32(x, y);
  const __m128i overflow = subtract ? _mm_and_si128(_mm_xor_si128(x, y), _mm_xor_si128(x, r))
                                    : _mm_and_si128(_mm_xor_si128(r, x), _mm_xor_si128(r, y));
  const __m128i mask = _mm_srai_epi32(overflow, 31);
  const __m128i limit = _mm_xor_si128(_mm_srai_epi32(x, 31), _mm_set1_epi32(INT32_MAX));
  return _mm_or_si128(_mm_andnot_si128(mask, r), _mm_and_si128(mask, limit));
}

template <bool subtract> __m128i halved32(__m128i x, __m128i y) {
  const __m128i one = _mm_set1_epi32(1);
  const __m128i lx = _mm_and_si128(x, one), ly = _mm_and_si128(y, one);
  const __m128i hx = _mm_srai_epi32(x, 1), hy = _mm_srai_epi32(y, 1);
  // q = floor((x +- y) / 2); the exact value is odd where the low bits differ.
  const __m128i q = subtract ? _mm_sub_epi32(_mm_sub_epi32(hx, hy), _mm_andnot_si128(lx, ly))
                             : _mm_add_epi32(_mm_add_epi32(hx, hy), _mm_and_si128(lx, ly));
  __m128i up = _mm_and_si128(_mm_and_si128(_mm_xor_si128(lx, ly), q), one);
  if (subtract)
    up = _mm_andnot_si128(_mm_cmpeq_epi32(q, _mm_set1_epi32(INT32_MAX)), up);
  return _mm_add_epi32(q, up);
}

template <Op32 op> __m128i scaled4(__m128i a, __m128i b, const Scale32 &scale) {
  if constexpr (op != Op32::Mul) {
    constexpr bool subtract = op != Op32::Add;
    const __m128i x = op == Op32::SubRev ? b : a;
    const __m128i y = op == Op32::SubRev ? a : b;
    if (scale.kind == Scale32::Saturate)
      return saturated32<subtract>(x, y);
    if (scale.kind == Scale32::RoundShift && scale.shift == 1)
      return halved32<subtract>(x, y);
  }
  __m128i lo, hi;
  exact4<op>(a, b, lo, hi);
  return pack4(scale.apply(lo), scale.apply(hi));
}

// dst[i] = scaled op(a[i], b[i]) where b is a vector (bStep 1) or one constant (bStep 0).
// Element by element, in order, where dst shares part of a source's storage.
template <Op32 op>
void run32(const int *a, const int *b, bool bIsVector, int *dst, int len, const Scale32 &scale) {
  const std::size_t n = static_cast<std::size_t>(len);
  std::size_t i = 0;
  const bool blocks =
      !partlyOverlap(a, 4 * n, dst, 4 * n) && !(bIsVector && partlyOverlap(b, 4 * n, dst, 4 * n));
  const __m128i constant = bIsVector ? _mm_setzero_si128() : _mm_set1_epi32(*b);
  if (blocks) {
    for (; i + 4 <= n; i += 4)
      storeu(dst + i, scaled4<op>(loadu(a + i), bIsVector ? loadu(b + i) : constant, scale));
  }
  for (; i < n; ++i) {
    int x, y;
    std::memcpy(&x, a + i, 4);
    if (bIsVector)
      std::memcpy(&y, b + i, 4);
    const int r = _mm_cvtsi128_si32(
        scaled4<op>(_mm_cvtsi32_si128(x), bIsVector ? _mm_cvtsi32_si128(y) : constant, scale));
    std::memcpy(dst + i, &r, 4);
  }
}

// Above these scale factors every exact value rounds to 0: |v| <= 2^32 for sums and
// differences, 2^62 for products.
constexpr int kZeroAboveSum = 33;
constexpr int kZeroAboveProduct = 63;

template <Op32 op>
IppOpStatus constant32(const int *pSrc, int val, int *pDst, int len, int sf, int zeroAbove) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  run32<op>(pSrc, &val, false, pDst, len, Scale32(sf, zeroAbove));
  return ippStsNoErr;
}

template <Op32 op>
IppOpStatus vector32(const int *pSrc, int *pSrcDst, int len, int sf, int zeroAbove) {
  if (const IppOpStatus st = checkPair(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  run32<op>(pSrcDst, pSrc, true, pSrcDst, len, Scale32(sf, zeroAbove));
  return ippStsNoErr;
}

// ---- 8-bit elements in 32-bit lanes -----------------------------------------------------

enum class Op8 { Add, Sub, Mul };

struct Scale8 {
  enum Kind { Plain, RoundShift, Zero, LeftShift, SignOnly } kind;
  __m128i by = _mm_setzero_si128();
  __m128i half = _mm_setzero_si128();

  // |v| < 2^16: above sf 16 every value rounds to 0, from a left shift of 16 on every
  // nonzero value saturates.
  explicit Scale8(int sf) {
    if (sf == 0) {
      kind = Plain;
    } else if (sf > 16) {
      kind = Zero;
    } else if (sf > 0) {
      kind = RoundShift;
      by = _mm_cvtsi32_si128(sf);
      half = _mm_set1_epi32((1 << (sf - 1)) - 1);
    } else if (sf >= -15) {
      kind = LeftShift;
      by = _mm_cvtsi32_si128(-sf);
    } else {
      kind = SignOnly;
    }
  }

  // Exact values in four 32-bit lanes to scaled, unsaturated values.
  __m128i apply(__m128i v) const {
    switch (kind) {
    case Plain:
      return v;
    case RoundShift: {
      const __m128i odd = _mm_and_si128(_mm_sra_epi32(v, by), _mm_set1_epi32(1));
      return _mm_sra_epi32(_mm_add_epi32(_mm_add_epi32(v, half), odd), by);
    }
    case Zero:
      return _mm_setzero_si128();
    case LeftShift:
      return _mm_sll_epi32(v, by);
    case SignOnly:
      // Positive values to the maximum; zero and negative ones saturate to 0 anyway.
      return _mm_and_si128(_mm_cmpgt_epi32(v, _mm_setzero_si128()), _mm_set1_epi32(255));
    }
    return v;
  }
};

template <Op8 op> __m128i exact8(__m128i a, __m128i b) {
  if constexpr (op == Op8::Add)
    return _mm_add_epi32(a, b);
  else if constexpr (op == Op8::Sub)
    return _mm_sub_epi32(a, b);
  else
    return _mm_madd_epi16(a, b); // lanes hold values below 256 in their low halves
}

// Sixteen bytes: widened to four registers of 32-bit lanes, scaled, and narrowed with the
// saturation of the signed 16-bit and unsigned 8-bit packs (to 0 ... 255).
template <Op8 op> __m128i scaled16(__m128i a, __m128i b, const Scale8 &scale) {
  const __m128i z = _mm_setzero_si128();
  const __m128i a0 = _mm_unpacklo_epi8(a, z), a1 = _mm_unpackhi_epi8(a, z);
  const __m128i b0 = _mm_unpacklo_epi8(b, z), b1 = _mm_unpackhi_epi8(b, z);
  const __m128i r0 = scale.apply(exact8<op>(_mm_unpacklo_epi16(a0, z), _mm_unpacklo_epi16(b0, z)));
  const __m128i r1 = scale.apply(exact8<op>(_mm_unpackhi_epi16(a0, z), _mm_unpackhi_epi16(b0, z)));
  const __m128i r2 = scale.apply(exact8<op>(_mm_unpacklo_epi16(a1, z), _mm_unpacklo_epi16(b1, z)));
  const __m128i r3 = scale.apply(exact8<op>(_mm_unpackhi_epi16(a1, z), _mm_unpackhi_epi16(b1, z)));
  return _mm_packus_epi16(_mm_packs_epi32(r0, r1), _mm_packs_epi32(r2, r3));
}

template <Op8 op>
IppOpStatus vector8(const unsigned char *pSrc, unsigned char *pSrcDst, int len, int sf) {
  if (const IppOpStatus st = checkPair(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  const Scale8 scale(sf);
  const std::size_t n = static_cast<std::size_t>(len);
  std::size_t i = 0;
  if (!partlyOverlap(pSrc, n, pSrcDst, n)) {
    for (; i + 16 <= n; i += 16)
      storeu(pSrcDst + i, scaled16<op>(loadu(pSrcDst + i), loadu(pSrc + i), scale));
  }
  for (; i < n; ++i) {
    const __m128i r =
        scaled16<op>(_mm_cvtsi32_si128(pSrcDst[i]), _mm_cvtsi32_si128(pSrc[i]), scale);
    pSrcDst[i] = static_cast<unsigned char>(_mm_cvtsi128_si32(r));
  }
  return ippStsNoErr;
}

// ---- 32-bit division ------------------------------------------------------------------
//
// The quotient x * 2^-sf / d is formed exactly in 64-bit integers on magnitudes and rounded
// half to even: a packed double division would round it through 53 bits first and could
// land on the other side of a half. The 16-byte registers have no integer division, so
// the elements go through the scalar divider two at a time, the class of sf chosen once.

class DivScale {
public:
  explicit DivScale(int sf) {
    if (sf > 32) {
      kind_ = Zero; // |x / d| <= 2^31, so the scaled quotient is at most a quarter
    } else if (sf >= 0) {
      kind_ = Right;
      shift_ = sf;
    } else if (sf >= -32) {
      kind_ = Left;
      shift_ = -sf;
    } else if (sf >= -62) {
      kind_ = FarLeft;
      shift_ = -sf - 32;
    } else {
      kind_ = SignOnly;
    }
  }

  // x * 2^-sf / d for d != 0, rounded half to even and saturated.
  int quotient(int x, int d) const {
    if (x == 0)
      return 0;
    const bool negative = (x < 0) != (d < 0);
    const std::uint64_t mag = magnitude(abs64(x), abs64(d));
    if (negative)
      return mag >= kTwo31 ? INT32_MIN : -static_cast<int>(mag);
    return mag >= kTwo31 ? INT32_MAX : static_cast<int>(mag);
  }

private:
  enum Kind { Zero, Right, Left, FarLeft, SignOnly };
  static constexpr std::uint64_t kTwo31 = std::uint64_t{1} << 31;
  static constexpr std::uint64_t kSaturated = std::uint64_t{1} << 32; // any value >= 2^31

  static std::uint64_t abs64(int v) {
    return v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(static_cast<std::int64_t>(v))
                 : static_cast<std::uint64_t>(v);
  }

  // num / den rounded half to even (den > 0; num and den below 2^64).
  static std::uint64_t roundedQuotient(std::uint64_t num, std::uint64_t den) {
    const std::uint64_t q = num / den;
    const std::uint64_t r = num % den;
    const std::uint64_t rest = den - r; // compared with r: no doubling that could overflow
    return q + ((r > rest || (r == rest && (q & 1) != 0)) ? 1 : 0);
  }

  // |x| * 2^-sf / |d| rounded, or kSaturated when it is at least 2^31 in the far classes.
  std::uint64_t magnitude(std::uint64_t ax, std::uint64_t ad) const {
    switch (kind_) {
    case Zero:
      return 0;
    case Right: // |d| * 2^sf <= 2^63
      return roundedQuotient(ax, ad << shift_);
    case Left: // |x| * 2^-sf <= 2^63
      return roundedQuotient(ax << shift_, ad);
    case FarLeft: {
      // |x| * 2^32 / |d| first (below 2^63), then the remainder carries the other shift_
      // bits (below 2^61); a first quotient of 2^(32 - shift_) or more saturates.
      const std::uint64_t num = ax << 32;
      const std::uint64_t q1 = num / ad;
      if (q1 >= (kSaturated >> shift_))
        return kSaturated;
      const std::uint64_t r1 = num % ad;
      return (q1 << shift_) + roundedQuotient(r1 << shift_, ad);
    }
    case SignOnly:
      break;
    }
    return kSaturated;
  }

  Kind kind_ = Zero;
  int shift_ = 0;
};

// A zero divisor stores the saturated sign of the dividend and raises the warning.
int divideOne(int x, int d, const DivScale &scale, bool &zeroDivisor) {
  if (d == 0) {
    zeroDivisor = true;
    return x > 0 ? INT32_MAX : (x < 0 ? INT32_MIN : 0);
  }
  return scale.quotient(x, d);
}

IppOpStatus div32(const int *pSrc, int *pSrcDst, int len, int sf) {
  if (const IppOpStatus st = checkPair(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  const DivScale scale(sf);
  const std::size_t n = static_cast<std::size_t>(len);
  bool zeroDivisor = false;
  auto one = [&](std::size_t i) {
    int x, d;
    std::memcpy(&x, pSrcDst + i, 4);
    std::memcpy(&d, pSrc + i, 4);
    const int q = divideOne(x, d, scale, zeroDivisor);
    std::memcpy(pSrcDst + i, &q, 4);
  };
  std::size_t i = 0;
  // Pairs read both elements before writing either, so they are kept to vectors whose
  // storage is either the same or apart; otherwise the walk is the generic's, one by one.
  if (!partlyOverlap(pSrc, 4 * n, pSrcDst, 4 * n)) {
    if (n >= 2 && reinterpret_cast<std::uintptr_t>(pSrcDst) % 8 != 0)
      one(i++);
    for (; i + 2 <= n; i += 2) {
      const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(pSrcDst + i));
      const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(pSrc + i));
      const int d0 = _mm_cvtsi128_si32(d), d1 = _mm_cvtsi128_si32(_mm_srli_epi64(d, 32));
      if (d0 == 0 || d1 == 0) { // the zero-divisor rule element by element
        one(i);
        one(i + 1);
        continue;
      }
      const int q0 = scale.quotient(_mm_cvtsi128_si32(x), d0);
      const int q1 = scale.quotient(_mm_cvtsi128_si32(_mm_srli_epi64(x, 32)), d1);
      _mm_storel_epi64(reinterpret_cast<__m128i *>(pSrcDst + i), _mm_setr_epi32(q0, q1, 0, 0));
    }
  }
  for (; i < n; ++i)
    one(i);
  return zeroDivisor ? ippStsDivByZero : ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsAddC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return constant32<Op32::Add>(pSrc, val, pDst, len, scaleFactor, kZeroAboveSum);
}
IppOpStatus ippsSubC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return constant32<Op32::Sub>(pSrc, val, pDst, len, scaleFactor, kZeroAboveSum);
}
IppOpStatus ippsSubCRev_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return constant32<Op32::SubRev>(pSrc, val, pDst, len, scaleFactor, kZeroAboveSum);
}
IppOpStatus ippsMulC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return constant32<Op32::Mul>(pSrc, val, pDst, len, scaleFactor, kZeroAboveProduct);
}
IppOpStatus ippsAdd_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return vector32<Op32::Add>(pSrc, pSrcDst, len, scaleFactor, kZeroAboveSum);
}
IppOpStatus ippsSub_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return vector32<Op32::Sub>(pSrc, pSrcDst, len, scaleFactor, kZeroAboveSum);
}
IppOpStatus ippsMul_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return vector32<Op32::Mul>(pSrc, pSrcDst, len, scaleFactor, kZeroAboveProduct);
}
IppOpStatus ippsDiv_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return div32(pSrc, pSrcDst, len, scaleFactor);
}

IppOpStatus ippsAdd_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor) {
  return vector8<Op8::Add>(pSrc, pSrcDst, len, scaleFactor);
}
IppOpStatus ippsSub_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor) {
  return vector8<Op8::Sub>(pSrc, pSrcDst, len, scaleFactor);
}
IppOpStatus ippsMul_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor) {
  return vector8<Op8::Mul>(pSrc, pSrcDst, len, scaleFactor);
}

} // namespace sse2

} // namespace kernels::basic
