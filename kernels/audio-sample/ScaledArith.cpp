// Scaled 8- and 16-bit add, subtract and multiply, of two regions and with a constant.
//
// Each block forms the exact 32-bit results v, scales them by 2^-sf with the rounding
// rule of the scaled operations (round half to even:
// (v + 2^(sf-1) - 1 + ((v >> sf) & 1)) >> sf), and saturates them by packing. A negative
// scale factor first saturates v to 16 bits (which does not change the final result)
// and then shifts by at most 16 bits, so nothing overflows.
#include <cstddef>

#include <emmintrin.h>

#include "kernels/audio-sample/AudioSampleKernels.h"
#include "kernels/audio-sample/RowWalk.h"

namespace kernels::audio_sample::sse2 {
namespace {

using namespace detail;

enum class Op { Add, Sub, Mul };

enum class Kind { Plain, Halve, Round, Zero, Shift };

// The scaling of one call, fixed at compile time so the row loops carry no branch.
template <Kind K> struct Scaler {
  __m128i count = _mm_setzero_si128();
  __m128i bias = _mm_setzero_si128();

  static constexpr bool plain() noexcept { return K == Kind::Plain; }
  static constexpr bool halving() noexcept { return K == Kind::Halve; }

  __m128i apply(__m128i v) const noexcept {
    if constexpr (K == Kind::Plain) {
      return v;
    } else if constexpr (K == Kind::Round || K == Kind::Halve) {
      const __m128i b = _mm_and_si128(_mm_sra_epi32(v, count), _mm_set1_epi32(1));
      return _mm_sra_epi32(_mm_add_epi32(_mm_add_epi32(v, bias), b), count);
    } else if constexpr (K == Kind::Zero) {
      return _mm_setzero_si128();
    } else {
      const __m128i v16 = _mm_packs_epi32(v, v);
      return _mm_sll_epi32(_mm_srai_epi32(_mm_unpacklo_epi16(v16, v16), 16), count);
    }
  }
};

// Calls run(scaler) with the scaler of sf.
template <class Run> void WithScaler(int sf, Run run) {
  if (sf == 0) {
    run(Scaler<Kind::Plain>{});
  } else if (sf == 1) {
    run(Scaler<Kind::Halve>{_mm_cvtsi32_si128(1), _mm_setzero_si128()});
  } else if (sf > 0 && sf <= 30) {
    run(Scaler<Kind::Round>{_mm_cvtsi32_si128(sf), _mm_set1_epi32((1 << (sf - 1)) - 1)});
  } else if (sf > 30) {
    // Every exact result is at most 2^30 in magnitude, which rounds to 0 from here.
    run(Scaler<Kind::Zero>{});
  } else {
    run(Scaler<Kind::Shift>{_mm_cvtsi32_si128(sf < -16 ? 16 : -sf), _mm_setzero_si128()});
  }
}

inline __m128i SignExtendLo(__m128i x) { return _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16); }
inline __m128i SignExtendHi(__m128i x) { return _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16); }

// Eight 16-bit samples.
template <Op op, class Sc> __m128i Block16s(__m128i d, __m128i s, const Sc &sc) {
  if constexpr (op == Op::Add) {
    if constexpr (Sc::plain())
      return _mm_adds_epi16(d, s);
    if constexpr (Sc::halving()) {
      // floor((d + s) / 2) = (d & s) + ((d ^ s) >> 1), one up when the sum is odd and
      // the floor odd (a tie to the even neighbour); never beyond 16 bits.
      const __m128i x = _mm_xor_si128(d, s);
      const __m128i f = _mm_add_epi16(_mm_and_si128(d, s), _mm_srai_epi16(x, 1));
      return _mm_add_epi16(f, _mm_and_si128(_mm_and_si128(x, f), _mm_set1_epi16(1)));
    }
    return _mm_packs_epi32(sc.apply(_mm_add_epi32(SignExtendLo(d), SignExtendLo(s))),
                           sc.apply(_mm_add_epi32(SignExtendHi(d), SignExtendHi(s))));
  } else if constexpr (op == Op::Sub) {
    if constexpr (Sc::plain())
      return _mm_subs_epi16(d, s);
    return _mm_packs_epi32(sc.apply(_mm_sub_epi32(SignExtendLo(d), SignExtendLo(s))),
                           sc.apply(_mm_sub_epi32(SignExtendHi(d), SignExtendHi(s))));
  } else {
    const __m128i lo = _mm_mullo_epi16(d, s);
    const __m128i hi = _mm_mulhi_epi16(d, s);
    return _mm_packs_epi32(sc.apply(_mm_unpacklo_epi16(lo, hi)),
                           sc.apply(_mm_unpackhi_epi16(lo, hi)));
  }
}

// Eight 8-bit samples widened to 16 bits (d, s in 0..255): the exact results, scaled,
// as eight 16-bit values (saturated to 16 bits; the byte pack saturates to 0..255).
template <Op op, class Sc> __m128i Half8u(__m128i d, __m128i s, const Sc &sc) {
  const __m128i zero = _mm_setzero_si128();
  if constexpr (op == Op::Mul) {
    const __m128i p = _mm_mullo_epi16(d, s); // at most 65025: unsigned 16 bits
    return _mm_packs_epi32(sc.apply(_mm_unpacklo_epi16(p, zero)),
                           sc.apply(_mm_unpackhi_epi16(p, zero)));
  } else {
    const __m128i v = op == Op::Add ? _mm_add_epi16(d, s) : _mm_sub_epi16(d, s);
    return _mm_packs_epi32(sc.apply(SignExtendLo(v)), sc.apply(SignExtendHi(v)));
  }
}

template <Op op, class Sc> __m128i Block8u(__m128i d, __m128i s, const Sc &sc) {
  if constexpr (Sc::plain()) {
    if constexpr (op == Op::Add)
      return _mm_adds_epu8(d, s);
    else if constexpr (op == Op::Sub)
      return _mm_subs_epu8(d, s);
  }
  const __m128i zero = _mm_setzero_si128();
  return _mm_packus_epi16(Half8u<op>(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), sc),
                          Half8u<op>(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), sc));
}

template <class T, Op op, class Sc> __m128i BlockOf(__m128i d, __m128i s, const Sc &sc) {
  if constexpr (sizeof(T) == 1)
    return Block8u<op>(d, s, sc);
  else
    return Block16s<op>(d, s, sc);
}

template <Op op, class T>
IppOpStatus Region(const T *pSrc, int srcStep, T *pSrcDst, int srcDstStep, tagSIZE roi, int sf) {
  if (IppOpStatus st = CheckRegion(pSrc, srcStep, pSrcDst, srcDstStep, roi); st != ippStsNoErr)
    return st;
  const std::size_t bytes = static_cast<std::size_t>(roi.width) * sizeof(T);
  WithScaler(sf, [&](const auto sc) {
    for (int y = 0; y < roi.height; ++y)
      ZipRow(RowOf(pSrc, srcStep, y), RowOf(pSrcDst, srcDstStep, y), bytes,
             [&sc](__m128i d, __m128i s) { return BlockOf<T, op>(d, s, sc); });
  });
  return ippStsNoErr;
}

template <class T> __m128i Broadcast(T val) {
  if constexpr (sizeof(T) == 1)
    return _mm_set1_epi8(static_cast<char>(val));
  else
    return _mm_set1_epi16(val);
}

template <Op op, class T> IppOpStatus Vector(T val, T *pSrcDst, int len, int sf) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const __m128i c = Broadcast(val);
  WithScaler(sf, [&](const auto sc) {
    MapRow(Bytes(pSrcDst), static_cast<std::size_t>(len) * sizeof(T),
           [&sc, c](__m128i d) { return BlockOf<T, op>(d, c, sc); });
  });
  return ippStsNoErr;
}

template <Op op, class T> IppOpStatus RegionC(T val, T *pSrcDst, int step, tagSIZE roi, int sf) {
  if (IppOpStatus st = CheckRegion(pSrcDst, step, pSrcDst, step, roi); st != ippStsNoErr)
    return st;
  const __m128i c = Broadcast(val);
  const std::size_t bytes = static_cast<std::size_t>(roi.width) * sizeof(T);
  WithScaler(sf, [&](const auto sc) {
    for (int y = 0; y < roi.height; ++y)
      MapRow(RowOf(pSrcDst, step, y), bytes,
             [&sc, c](__m128i d) { return BlockOf<T, op>(d, c, sc); });
  });
  return ippStsNoErr;
}

} // namespace

IppOpStatus ippiAdd_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return Region<Op::Add>(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiSub_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return Region<Op::Sub>(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiMul_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return Region<Op::Mul>(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiAdd_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return Region<Op::Add>(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiSub_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return Region<Op::Sub>(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiMul_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return Region<Op::Mul>(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}

IppOpStatus ippsAddC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor) {
  return Vector<Op::Add>(val, pSrcDst, len, scaleFactor);
}
IppOpStatus ippsSubC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor) {
  return Vector<Op::Sub>(val, pSrcDst, len, scaleFactor);
}
IppOpStatus ippsMulC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor) {
  return Vector<Op::Mul>(val, pSrcDst, len, scaleFactor);
}
IppOpStatus ippsAddC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  return Vector<Op::Add>(val, pSrcDst, len, scaleFactor);
}
IppOpStatus ippsSubC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  return Vector<Op::Sub>(val, pSrcDst, len, scaleFactor);
}
IppOpStatus ippsMulC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  return Vector<Op::Mul>(val, pSrcDst, len, scaleFactor);
}

IppOpStatus ippiAddC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return RegionC<Op::Add>(val, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiSubC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return RegionC<Op::Sub>(val, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiMulC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return RegionC<Op::Mul>(val, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiAddC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return RegionC<Op::Add>(val, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiSubC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return RegionC<Op::Sub>(val, pSrcDst, srcDstStep, roi, scaleFactor);
}
IppOpStatus ippiMulC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return RegionC<Op::Mul>(val, pSrcDst, srcDstStep, roi, scaleFactor);
}

} // namespace kernels::audio_sample::sse2
