// Tables of the generic variant. Every trigonometric value of a record is read from the
// quarter-wave sine table, so equal angles give bit-identical values in every table.
#include <cmath>

#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_real {

int ownsFFTOrderSplit(int k) {
  static const int split[31] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // below the large orders
                                0, 0, 4, 5, 6, 7, 7, 8, 9, 9, // 10 to 19
                                9, 8, 8, 9, 9, 9, 9, 9, 9, 9, // 20 to 29
                                9};
  return split[k];
}

Ipp64fc ownsFFTFolded(const double *S, int m, int j, std::int64_t p) {
  const std::int64_t L = std::int64_t{1} << j;
  const std::int64_t e = std::int64_t{1} << (m - j);
  const std::int64_t q = L / 4;
  if (p <= q)
    return {S[(q - p) * e], -S[p * e]};
  if (p <= 2 * q)
    return {-S[(p - q) * e], -S[(2 * q - p) * e]};
  if (p <= 3 * q)
    return {-S[(3 * q - p) * e], S[(p - 2 * q) * e]};
  return {S[(p - 3 * q) * e], S[(L - p) * e]};
}

void ownsFFTInitSinTab_64f(int m, double *S) {
  const std::int64_t M = std::int64_t{1} << m;
  const double c = 6.283185307179586 / static_cast<double>(M);
  for (std::int64_t i = 0; i <= M / 8; ++i)
    S[i] = std::sin(static_cast<double>(i) * c);
  for (std::int64_t i = M / 8 + 1; i <= M / 4; ++i)
    S[i] = std::cos(static_cast<double>(M / 4 - i) * c);
}

std::int32_t *ownsFFTInitBitRevTab(int k, std::int32_t *T) {
  if (k < 2)
    return T;
  const std::int32_t B = std::int32_t{1} << (k - 2);
  std::int32_t pairPos = 0;
  std::int32_t selfPos = B - 1;
  std::int32_t rev = 0;
  for (std::int32_t i = 1; i < B; ++i) {
    std::int32_t h = B / 2;
    while (h <= rev) {
      rev -= h;
      h /= 2;
    }
    rev += h;
    if (i < rev) {
      T[pairPos] = 4 * i;
      T[pairPos + 1] = 4 * rev;
      pairPos += 2;
    } else if (i == rev) {
      T[selfPos--] = 4 * i;
    }
  }
  T[pairPos] = 0;
  T[B] = 0;
  return T + (B + 1 + 3) / 4 * 4;
}

Ipp64fc *ownsFFTInitTwiddleTab_64fc(int k, const double *S, int m, Ipp64fc *W) {
  const std::int64_t n = std::int64_t{1} << k;
  for (std::int64_t i = 0; i <= n / 4; ++i) {
    *W++ = ownsFFTFolded(S, m, k, i);
    *W++ = ownsFFTFolded(S, m, k, 2 * i);
    *W++ = ownsFFTFolded(S, m, k, 3 * i);
  }
  return W;
}

Ipp64fc *ownsFFTInitBlockedTab_64fc(int k, const double *S, int m, Ipp64fc *W) {
  const std::int64_t n = std::int64_t{1} << k;
  const std::int64_t d = std::int64_t{1} << (m - k);
  for (std::int64_t i = 0; i < n / 4; ++i)
    *W++ = {S[(n / 4 - i) * d], -S[i * d]};
  return W;
}

void ownsFFTInitRealFwdTab_64f(int m, const double *S, Ipp64fc *T) {
  const std::int64_t Q = (std::int64_t{1} << m) / 4;
  for (std::int64_t i = 0; i < Q; ++i)
    T[i] = {0.5 * S[Q - i], 0.5 - 0.5 * S[i]};
}

void ownsFFTInitRealInvTab_64f(int m, const double *S, Ipp64fc *T) {
  const std::int64_t Q = (std::int64_t{1} << m) / 4;
  for (std::int64_t i = 0; i < Q; ++i)
    T[i] = {S[Q - i], -S[i]};
}

namespace {

// Room kept for the twiddle table of order r: n + 1 complex values (the table itself,
// n/4 + 1 triples, is smaller).
std::int64_t twiddleBytes(int r) { return 16 * ((std::int64_t{1} << r) + 1); }

// The leaf of a blocked transform of order r: the order-9 twiddle table, then the
// blocked table of order r.
std::int64_t blockedLeafBytes(int r) { return twiddleBytes(9) + 16 * ((std::int64_t{1} << r) / 4); }

void sizeLevel(int k, std::int64_t *block, std::int64_t *work) {
  const int s = ownsFFTOrderSplit(k);
  const int r = k - s;
  if (r <= 9) {
    *block = twiddleBytes(r);
    *work = 0;
  } else if (ownsFFTOrderSplit(r) == 0) {
    *block = blockedLeafBytes(r);
    *work = 0;
  } else {
    sizeLevel(r, block, work);
  }
  const std::int64_t R = std::int64_t{1} << s;
  *block += twiddleBytes(s) + 16 * (std::int64_t{1} << k);
  if (64 * R > *work)
    *work = 64 * R;
}

// Rows of the blocked scheme: the order-9 twiddle table at the block start, the blocked
// table of order r after it.
Ipp64fc *initBlockedLeaf(FFTSpec_64 *spec, int r, const double *S, int m, Ipp64fc *block) {
  spec->twiddleTable = block;
  Ipp64fc *end = ownsFFTInitTwiddleTab_64fc(9, S, m, block);
  spec->blockedTable = end;
  return ownsFFTInitBlockedTab_64fc(r, S, m, end);
}

std::int64_t reverseBits(std::int64_t v, int bits) {
  std::int64_t r = 0;
  for (int b = 0; b < bits; ++b, v >>= 1)
    r = (r << 1) | (v & 1);
  return r;
}

Ipp64fc *initLevel(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block, int depth,
                   std::int64_t *work) {
  const int s = ownsFFTOrderSplit(k);
  const int r = k - s;
  const std::int64_t R = std::int64_t{1} << s;
  const std::int64_t C = std::int64_t{1} << r;
  Ipp64fc *P;
  if (r <= 9) {
    spec->twiddleTable = block;
    P = ownsFFTInitTwiddleTab_64fc(r, S, m, block);
  } else if (ownsFFTOrderSplit(r) == 0) {
    P = initBlockedLeaf(spec, r, S, m, block);
  } else {
    P = initLevel(spec, r, S, m, block, depth + 1, work);
  }
  spec->levelTwiddle[depth] = P;
  Ipp64fc *col = ownsFFTInitTwiddleTab_64fc(s, S, m, P);
  spec->levelColumn[depth] = col;
  // Four columns side by side, rows in bit-reversed order: the order in which the
  // column stage multiplies them in.
  for (std::int64_t c0 = 0; c0 < C; c0 += 4)
    for (std::int64_t p = 0; p < R; ++p) {
      const std::int64_t rp = reverseBits(p, s);
      for (std::int64_t q = 0; q < 4; ++q)
        *col++ = ownsFFTFolded(S, m, k, (c0 + q) * rp);
    }
  if (64 * R > *work)
    *work = 64 * R;
  return col;
}

} // namespace

void ownsFFTGetSizeLarge(int k, std::int64_t *blockSize, std::int64_t *workSize) {
  if (ownsFFTOrderSplit(k) == 0) {
    *blockSize = blockedLeafBytes(k);
    *workSize = 0;
    return;
  }
  sizeLevel(k, blockSize, workSize);
}

void ownsFFTInitLarge_64fc(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block) {
  std::int64_t work = 0;
  if (ownsFFTOrderSplit(k) == 0)
    initBlockedLeaf(spec, k, S, m, block);
  else
    initLevel(spec, k, S, m, block, 0, &work);
  spec->workSize = static_cast<std::int32_t>(work);
}

} // namespace kernels::fft_real
