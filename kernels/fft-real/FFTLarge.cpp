// Complex transforms above the radix limit: the split scheme (rows, then columns in
// groups of four through the work area) and the blocked scheme (512-point transforms
// joined by radix-2 combine passes) for 2^10 and 2^11 values.
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_real {

namespace {

// Joins total/start transforms of `start` points lying one after the other into one
// transform of `total` points; table[j] = W_total^j, j < total/4.
template <bool Inv>
void blockedPass(Ipp64fc *data, std::int64_t total, std::int64_t start, const Ipp64fc *table) {
  for (std::int64_t L = start; L <= total / 2; L *= 2) {
    const std::int64_t sigma = total / (2 * L);
    const std::int64_t half = L / 2;
    for (Ipp64fc *A = data; A < data + total; A += 2 * L) {
      Ipp64fc *B = A + L;
      for (std::int64_t m = 0; m < half; ++m) {
        const Ipp64fc w = table[m * sigma];
        const Ipp64fc u = ownsFFTMulTw<Inv>(B[m], w);
        const Ipp64fc a = A[m];
        A[m] = {a.re + u.re, a.im + u.im};
        B[m] = {a.re - u.re, a.im - u.im};
        // W_2L^(m + L/2) = -i·W_2L^m (+i for the inverse).
        const Ipp64fc v = ownsFFTMulTw<Inv>(B[m + half], w);
        const Ipp64fc r = Inv ? Ipp64fc{-v.im, v.re} : Ipp64fc{v.im, -v.re};
        const Ipp64fc c = A[m + half];
        A[m + half] = {c.re + r.re, c.im + r.im};
        B[m + half] = {c.re - r.re, c.im - r.im};
      }
    }
  }
}

template <bool Inv> void blocked(const FFTSpec_64 *spec, Ipp64fc *data, std::int64_t count) {
  for (std::int64_t b = count - 512; b >= 0; b -= 512) {
    ownsFFTRadix4Leaf_64fc<Inv>(spec, data + b, 512, spec->twiddleTable);
  }
  if (Inv)
    ownsFFTBlockedPassInv_64fc(data, count, 512, spec->blockedTable);
  else
    ownsFFTBlockedPass_64fc(data, count, 512, spec->blockedTable);
}

template <bool Inv>
void largeStep(const FFTSpec_64 *spec, Ipp64fc *data, int k, int level, Ipp64fc *work) {
  const int s = ownsFFTOrderSplit(k);
  const int r = k - s;
  const std::int64_t R = std::int64_t{1} << s;
  const std::int64_t C = std::int64_t{1} << r;

  // Rows: row i now holds, in natural order, the C-point transform of the values
  // x[m·R + rev_s(i)].
  for (std::int64_t i = 0; i < R; ++i) {
    Ipp64fc *row = data + i * C;
    if (r <= 9) {
      // Scaling happens once per value, right after the leaf transform of its row.
      ownsFFTRadix4Leaf_64fc<Inv>(spec, row, C, spec->twiddleTable);
    } else if (ownsFFTOrderSplit(r) != 0) {
      largeStep<Inv>(spec, row, r, level + 1, work);
    } else if (Inv) {
      ownsFFTBlockedInv_64fc(spec, row, C);
    } else {
      ownsFFTBlocked_64fc(spec, row, C);
    }
  }

  // Columns, four at a time: twiddle into the work area, transform, write back in
  // place, which leaves the level's output in natural order.
  const Ipp64fc *col = spec->levelColumn[level];
  const Ipp64fc *levelTw = spec->levelTwiddle[level];
  for (std::int64_t c0 = 0; c0 < C; c0 += 4) {
    for (std::int64_t i = 0; i < R; ++i) {
      const Ipp64fc *src = data + i * C + c0;
      for (int j = 0; j < 4; ++j)
        work[j * R + i] = ownsFFTMulTw<Inv>(src[j], *col++);
    }
    for (int j = 0; j < 4; ++j)
      ownsFFTRadix4Dir_64fc<Inv>(work + j * R, R, levelTw);
    for (std::int64_t q = 0; q < R; ++q) {
      Ipp64fc *dst = data + q * C + c0;
      for (int j = 0; j < 4; ++j)
        dst[j] = work[j * R + q];
    }
  }
}

template <bool Inv> void large(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work) {
  const std::int64_t count = std::int64_t{1} << order;
  if (ownsFFTOrderSplit(order) == 0)
    Inv ? ownsFFTBlockedInv_64fc(spec, data, count) : ownsFFTBlocked_64fc(spec, data, count);
  else if (Inv)
    ownsFFTLargeStepInv_64fc(spec, data, order, 0, work);
  else
    ownsFFTLargeStep_64fc(spec, data, order, 0, work);
}

} // namespace

void ownsFFTBlockedPass_64fc(Ipp64fc *data, std::int64_t total, std::int64_t start,
                             const Ipp64fc *table) {
  blockedPass<false>(data, total, start, table);
}
void ownsFFTBlockedPassInv_64fc(Ipp64fc *data, std::int64_t total, std::int64_t start,
                                const Ipp64fc *table) {
  blockedPass<true>(data, total, start, table);
}

void ownsFFTBlocked_64fc(const FFTSpec_64 *spec, Ipp64fc *data, std::int64_t count) {
  blocked<false>(spec, data, count);
}
void ownsFFTBlockedInv_64fc(const FFTSpec_64 *spec, Ipp64fc *data, std::int64_t count) {
  blocked<true>(spec, data, count);
}

void ownsFFTLargeStep_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, int level,
                           Ipp64fc *work) {
  largeStep<false>(spec, data, order, level, work);
}
void ownsFFTLargeStepInv_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, int level,
                              Ipp64fc *work) {
  largeStep<true>(spec, data, order, level, work);
}

void ownsFFTLarge_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work) {
  large<false>(spec, data, order, work);
}

void ownsFFTLargeInv_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work) {
  large<true>(spec, data, order, work);
}

} // namespace kernels::fft_real
