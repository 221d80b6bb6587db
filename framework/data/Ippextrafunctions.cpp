#include "framework/data/Ippextrafunctions.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"

namespace Ippextrafunctions {

namespace {

using Byte = unsigned char;

// How one item of each width is read, written and bounded. Samples are
// reached through memcpy: channel columns of interleaved frames need not be
// aligned to their width.
template <class T> struct ItemInt {
  static constexpr long long Lo = std::numeric_limits<T>::min(), Hi = std::numeric_limits<T>::max();
  static long long Load(const Byte *p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  // Keeps the low bits: the 32-bit arithmetic wraps.
  static void Store(Byte *p, long long v) {
    const auto w = static_cast<T>(static_cast<std::make_unsigned_t<T>>(v));
    std::memcpy(p, &w, sizeof w);
  }
};
using Item8u = ItemInt<uint8_t>;
using Item16s = ItemInt<int16_t>;
using Item32s = ItemInt<int32_t>;
struct Item24s {
  static constexpr long long Lo = Min24, Hi = Max24;
  static long long Load(const Byte *p) { return Convert24BitTo32Bit(p); }
  static void Store(Byte *p, long long v) {
    Convert32BitTo24Bit(static_cast<int>(v < Lo ? Lo : v > Hi ? Hi : v), p);
  }
};
struct Item32f {
  static float Load(const Byte *p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
  }
  static void Store(Byte *p, float v) { std::memcpy(p, &v, 4); }
};

long long Clamp(long long v, long long lo, long long hi) { return v < lo ? lo : v > hi ? hi : v; }

// Rounded to nearest with ties to even, then bounded; NaN gives nanValue.
long long RoundClamp(long double v, long long lo, long long hi, long long nanValue) {
  if (std::isnan(v))
    return nanValue;
  const long double r = std::nearbyint(v);
  if (r <= static_cast<long double>(lo))
    return lo;
  if (r >= static_cast<long double>(hi))
    return hi;
  return static_cast<long long>(r);
}

// a / b truncated toward zero and bounded; a zero divisor gives the bound on
// a's side (0 for 0 / 0).
long long DivClamp(long long a, long long b, long long lo, long long hi) {
  if (b == 0)
    return a > 0 ? hi : a < 0 ? lo : 0;
  return Clamp(a / b, lo, hi);
}

bool Empty(tagSIZE roi) { return roi.width <= 0 || roi.height <= 0; }
long long Count(tagSIZE roi) { return static_cast<long long>(roi.width) * roi.height; }
tagSIZE Column(int n) { return tagSIZE{1, n}; }

// fn(item) for every item of a region.
template <class Fn> void Walk(Byte *p, int step, tagSIZE roi, Fn fn) {
  if (Empty(roi))
    return;
  for (long long i = 0, n = Count(roi); i < n; ++i, p += step)
    fn(p);
}

// fn(source item, target item) for every item of two regions.
template <class Fn> void Walk(const Byte *s, int sStep, Byte *d, int dStep, tagSIZE roi, Fn fn) {
  if (Empty(roi))
    return;
  for (long long i = 0, n = Count(roi); i < n; ++i, s += sStep, d += dStep)
    fn(s, d);
}

template <class T> const Byte *Bytes(const T *p) { return reinterpret_cast<const Byte *>(p); }
template <class T> Byte *Bytes(T *p) { return reinterpret_cast<Byte *>(p); }

// Target item = op(target value, source value), stored in the item's width.
template <class Item, class Op>
void Elementwise(const void *src, int srcStep, void *srcDst, int srcDstStep, tagSIZE roi, Op op) {
  Walk(static_cast<const Byte *>(src), srcStep, static_cast<Byte *>(srcDst), srcDstStep, roi,
       [&](const Byte *s, Byte *d) { Item::Store(d, op(Item::Load(d), Item::Load(s))); });
}

// Item = op(item value), in place.
template <class Item, class Op> void InPlace(void *srcDst, int step, tagSIZE roi, Op op) {
  Walk(static_cast<Byte *>(srcDst), step, roi, [&](Byte *p) { Item::Store(p, op(Item::Load(p))); });
}

// (x - inZero) * mul / div + outZero, 64-bit product, truncated, saturated.
template <class From, class To>
void Rescale(const void *src, int srcStep, void *dst, int dstStep, tagSIZE roi, long long mul,
             long long div, long long inZero = 0, long long outZero = 0) {
  Walk(static_cast<const Byte *>(src), srcStep, static_cast<Byte *>(dst), dstStep, roi,
       [&](const Byte *s, Byte *d) {
         To::Store(d, Clamp((From::Load(s) - inZero) * mul / div + outZero, To::Lo, To::Hi));
       });
}

// The 8-bit offset rules: values are x - 127, results wrap modulo 256.
constexpr long long Zero8 = 127;
long long Wrap8(long long v) { return static_cast<Byte>(v); }
long long Div8(long long d, long long s) { return s == 0 ? Zero8 : Wrap8(d / s + Zero8); }

template <class Item> long long DivItem(long long d, long long s) {
  return DivClamp(d, s, Item::Lo, Item::Hi);
}

template <class Item>
void ScaleByReal(double x, void *data, int step, tagSIZE roi, long long zero) {
  InPlace<Item>(data, step, roi, [&](long long v) {
    return zero +
           RoundClamp(static_cast<long double>(v - zero) * x, Item::Lo - zero, Item::Hi - zero, 0);
  });
}

} // namespace

int Convert24BitTo32Bit(const unsigned char *src) {
  const uint32_t u = uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16);
  return static_cast<int>(u << 8) >> 8;
}

void Convert32BitTo24Bit(int value, unsigned char *dst) {
  const auto u = static_cast<uint32_t>(static_cast<int>(Clamp(value, Min24, Max24)));
  dst[0] = static_cast<Byte>(u);
  dst[1] = static_cast<Byte>(u >> 8);
  dst[2] = static_cast<Byte>(u >> 16);
}

void ippsZero_24s(unsigned char *dst, int n) {
  if (n <= 0)
    return;
  const long long bytes = 3LL * n;
  const auto words = static_cast<int>(bytes / 4);
  if (words > 0)
    Slbasicdispatcher::ippsZero_32s(reinterpret_cast<int *>(dst), words);
  Byte *rest = dst + 4LL * words;
  long long left = bytes % 4;
  if (left >= 2) {
    Slbasicdispatcher::ippsZero_16s(reinterpret_cast<short *>(rest), 1);
    rest += 2;
    left -= 2;
  }
  if (left == 1)
    Slbasicdispatcher::ippsZero_8u(rest, 1);
}

void ippsSet_24s(int value, unsigned char *dst, int n) {
  if (n <= 0)
    return;
  const uint32_t b0 = value & 0xFF, b1 = (value >> 8) & 0xFF, b2 = (value >> 16) & 0xFF;
  // Four samples make three words; the words at offsets 0, 4 and 8 repeat
  // every 12 bytes.
  const int groups = n / 4;
  if (groups > 0) {
    const uint32_t words[3] = {b0 | b1 << 8 | b2 << 16 | b0 << 24,
                               b1 | b2 << 8 | b0 << 16 | b1 << 24,
                               b2 | b0 << 8 | b1 << 16 | b2 << 24};
    for (int k = 0; k < 3; ++k)
      ippiSet_32u_C1R(words[k], reinterpret_cast<unsigned *>(dst + 4 * k), 12, Column(groups));
  }
  const Byte sample[3] = {Byte(b0), Byte(b1), Byte(b2)};
  for (long long i = 4LL * groups; i < n; ++i)
    std::memcpy(dst + 3 * i, sample, 3);
}

void ippiSet_24s_C1R(int value, unsigned char *dst, int step, tagSIZE roi) {
  Walk(dst, step, roi, [&](Byte *p) { Convert32BitTo24Bit(value, p); });
}

void ippiSet_32u_C1R(unsigned value, unsigned *dst, int step, tagSIZE roi) {
  Albasicdispatcher::ippiSet_32s_C1R(static_cast<int>(value), reinterpret_cast<int *>(dst), step,
                                     roi);
}

void ippiCopy_24s_C1R(const unsigned char *src, int srcStep, unsigned char *dst, int dstStep,
                      tagSIZE roi) {
  Albasicdispatcher::ippiCopy_16s_C1R(reinterpret_cast<const short *>(src), srcStep,
                                      reinterpret_cast<short *>(dst), dstStep, roi);
  Albasicdispatcher::ippiCopy_8u_C1R(src + 2, srcStep, dst + 2, dstStep, roi);
}

// Element arithmetic.

void ippiAdd_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item8u>(src, srcStep, srcDst, srcDstStep, roi,
                      [](long long d, long long s) { return Wrap8(d + s - Zero8); });
}
void ippiSub_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item8u>(src, srcStep, srcDst, srcDstStep, roi,
                      [](long long d, long long s) { return Wrap8(d + Zero8 - s); });
}
void ippiMul_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item8u>(src, srcStep, srcDst, srcDstStep, roi, [](long long d, long long s) {
    return Wrap8((d - Zero8) * (s - Zero8) + Zero8);
  });
}
void ippiDiv_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item8u>(src, srcStep, srcDst, srcDstStep, roi,
                      [](long long d, long long s) { return Div8(d - Zero8, s - Zero8); });
}

void ippiAdd_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item24s>(src, srcStep, srcDst, srcDstStep, roi,
                       [](long long d, long long s) { return d + s; });
}
void ippiSub_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item24s>(src, srcStep, srcDst, srcDstStep, roi,
                       [](long long d, long long s) { return d - s; });
}
void ippiMul_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item24s>(src, srcStep, srcDst, srcDstStep, roi,
                       [](long long d, long long s) { return d * s; });
}
void ippiDiv_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int) {
  Elementwise<Item24s>(src, srcStep, srcDst, srcDstStep, roi, DivItem<Item24s>);
}

void ippiAdd_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int) {
  Elementwise<Item32s>(src, srcStep, srcDst, srcDstStep, roi,
                       [](long long d, long long s) { return d + s; });
}
void ippiSub_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int) {
  Elementwise<Item32s>(src, srcStep, srcDst, srcDstStep, roi,
                       [](long long d, long long s) { return d - s; });
}
void ippiMul_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int) {
  // The product of two 32-bit values fits 64 bits; its low 32 bits are kept.
  Elementwise<Item32s>(src, srcStep, srcDst, srcDstStep, roi,
                       [](long long d, long long s) { return d * s; });
}
void ippiDiv_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int) {
  Elementwise<Item32s>(src, srcStep, srcDst, srcDstStep, roi, DivItem<Item32s>);
}

// Arithmetic with a constant: the contiguous forms are columns of the region
// forms with the item width as step.

void ippiMulC_8s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item8u>(srcDst, step, roi, [v](long long x) { return Wrap8(v * (x - Zero8) + Zero8); });
}
void ippiDivC_8s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item8u>(srcDst, step, roi, [v](long long x) { return Div8(x - Zero8, v); });
}
void ippsMulC_8s_ISfs(int v, unsigned char *srcDst, int n, int sf) {
  ippiMulC_8s_C1IRSfs(v, srcDst, 1, Column(n), sf);
}
void ippsDivC_8s_ISfs(int v, unsigned char *srcDst, int n, int sf) {
  ippiDivC_8s_C1IRSfs(v, srcDst, 1, Column(n), sf);
}

void ippiAddC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item24s>(srcDst, step, roi, [v](long long x) { return x + v; });
}
void ippiSubC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item24s>(srcDst, step, roi, [v](long long x) { return x - v; });
}
void ippiMulC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item24s>(srcDst, step, roi, [v](long long x) { return v * x; });
}
void ippiDivC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item24s>(srcDst, step, roi, [v](long long x) { return DivItem<Item24s>(x, v); });
}
void ippsAddC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf) {
  ippiAddC_24s_C1IRSfs(v, srcDst, 3, Column(n), sf);
}
void ippsSubC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf) {
  ippiSubC_24s_C1IRSfs(v, srcDst, 3, Column(n), sf);
}
void ippsMulC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf) {
  ippiMulC_24s_C1IRSfs(v, srcDst, 3, Column(n), sf);
}
void ippsDivC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf) {
  ippiDivC_24s_C1IRSfs(v, srcDst, 3, Column(n), sf);
}

void ippiAddC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item32s>(srcDst, step, roi, [v](long long x) { return x + v; });
}
void ippiSubC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item32s>(srcDst, step, roi, [v](long long x) { return x - v; });
}
void ippiMulC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item32s>(srcDst, step, roi, [v](long long x) { return v * x; });
}
void ippiDivC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int) {
  InPlace<Item32s>(srcDst, step, roi, [v](long long x) { return DivItem<Item32s>(x, v); });
}
void ippsAddC_32s_ISfs(int v, int *srcDst, int n, int sf) {
  ippiAddC_32s_C1IRSfs(v, srcDst, 4, Column(n), sf);
}
void ippsSubC_32s_ISfs(int v, int *srcDst, int n, int sf) {
  ippiSubC_32s_C1IRSfs(v, srcDst, 4, Column(n), sf);
}
void ippsMulC_32s_ISfs(int v, int *srcDst, int n, int sf) {
  ippiMulC_32s_C1IRSfs(v, srcDst, 4, Column(n), sf);
}
void ippsDivC_32s_ISfs(int v, int *srcDst, int n, int sf) {
  ippiDivC_32s_C1IRSfs(v, srcDst, 4, Column(n), sf);
}

// Width scaling.

void ippiScale_8u24s_C1R(const unsigned char *src, int srcStep, unsigned char *dst, int dstStep,
                         tagSIZE roi) {
  Rescale<Item8u, Item24s>(src, srcStep, dst, dstStep, roi, Max24, 127, Zero8);
}
void ippiScale_16s24s_C1R(const short *src, int srcStep, unsigned char *dst, int dstStep,
                          tagSIZE roi) {
  Rescale<Item16s, Item24s>(src, srcStep, dst, dstStep, roi, Max24, SHRT_MAX);
}
void ippiScale_16s32s_C1R(const short *src, int srcStep, int *dst, int dstStep, tagSIZE roi) {
  Rescale<Item16s, Item32s>(src, srcStep, dst, dstStep, roi, INT_MAX, SHRT_MAX);
}
void ippiScale_24s32s_C1R(const unsigned char *src, int srcStep, int *dst, int dstStep,
                          tagSIZE roi) {
  Rescale<Item24s, Item32s>(src, srcStep, dst, dstStep, roi, INT_MAX, Max24);
}
void ippiScale_24s8u_C1R(const unsigned char *src, int srcStep, unsigned char *dst, int dstStep,
                         tagSIZE roi, int) {
  Rescale<Item24s, Item8u>(src, srcStep, dst, dstStep, roi, 127, Max24, 0, Zero8);
}
void ippiScale_24s16s_C1R(const unsigned char *src, int srcStep, short *dst, int dstStep,
                          tagSIZE roi, int) {
  Rescale<Item24s, Item16s>(src, srcStep, dst, dstStep, roi, SHRT_MAX, Max24);
}
void ippiScale_32s16s_C1R(const int *src, int srcStep, short *dst, int dstStep, tagSIZE roi, int) {
  Rescale<Item32s, Item16s>(src, srcStep, dst, dstStep, roi, SHRT_MAX, INT_MAX);
}
void ippiScale_32s24s_C1R(const int *src, int srcStep, unsigned char *dst, int dstStep, tagSIZE roi,
                          int) {
  Rescale<Item32s, Item24s>(src, srcStep, dst, dstStep, roi, Max24, INT_MAX);
}

// Conversions with floats.

void ippiConvert_24s32f_C1R(const unsigned char *src, int srcStep, float *dst, int dstStep,
                            tagSIZE roi) {
  Walk(src, srcStep, Bytes(dst), dstStep, roi,
       [](const Byte *s, Byte *d) { Item32f::Store(d, static_cast<float>(Item24s::Load(s))); });
}
void ippiConvert_32s32f_C1R(const int *src, int srcStep, float *dst, int dstStep, tagSIZE roi) {
  Walk(Bytes(src), srcStep, Bytes(dst), dstStep, roi,
       [](const Byte *s, Byte *d) { Item32f::Store(d, static_cast<float>(Item32s::Load(s))); });
}
void ippiConvert_32f24s_C1R(const float *src, int srcStep, unsigned char *dst, int dstStep,
                            tagSIZE roi, int) {
  Walk(Bytes(src), srcStep, dst, dstStep, roi, [](const Byte *s, Byte *d) {
    Item24s::Store(d, RoundClamp(Item32f::Load(s), Item24s::Lo, Item24s::Hi, 0));
  });
}
void ippiConvert_32f32s_C1R(const float *src, int srcStep, int *dst, int dstStep, tagSIZE roi,
                            int) {
  Walk(Bytes(src), srcStep, Bytes(dst), dstStep, roi, [](const Byte *s, Byte *d) {
    Item32s::Store(d, RoundClamp(Item32f::Load(s), Item32s::Lo, Item32s::Hi, 0));
  });
}

// Scaling by a real factor.

void MultiplyByReal8u(double x, unsigned char *data, int step, tagSIZE roi) {
  ScaleByReal<Item8u>(x, data, step, roi, Zero8);
}
void MultiplyByReal16s(double x, short *data, int step, tagSIZE roi) {
  ScaleByReal<Item16s>(x, data, step, roi, 0);
}
void MultiplyByReal24s(double x, unsigned char *data, int step, tagSIZE roi) {
  ScaleByReal<Item24s>(x, data, step, roi, 0);
}
void MultiplyByReal32s(double x, int *data, int step, tagSIZE roi) {
  ScaleByReal<Item32s>(x, data, step, roi, 0);
}

} // namespace Ippextrafunctions
