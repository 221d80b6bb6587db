// Plain loops a user would write for the audio sample and filter operations, compiled at
// -O3 in a file of their own (see dispatch.cmake) so the compiler may vectorise them.
#include "bench/dispatch_bench_loops.h"

#include <algorithm>
#include <cstring>

namespace bench_loops {

namespace {
short sat16(int v) { return static_cast<short>(std::clamp(v, -32768, 32767)); }
// v / 2 rounded half to even.
int half(int v) { return (v + ((v >> 1) & 1)) >> 1; }
} // namespace

void add16s(const short *s, short *d, int n, int sf) {
  if (sf == 0)
    for (int i = 0; i < n; ++i)
      d[i] = sat16(d[i] + s[i]);
  else
    for (int i = 0; i < n; ++i)
      d[i] = sat16(half(d[i] + s[i]));
}
void sub16s(const short *s, short *d, int n, int sf) {
  if (sf == 0)
    for (int i = 0; i < n; ++i)
      d[i] = sat16(d[i] - s[i]);
  else
    for (int i = 0; i < n; ++i)
      d[i] = sat16(half(d[i] - s[i]));
}
void mul16s(const short *s, short *d, int n, int sf) {
  if (sf == 0)
    for (int i = 0; i < n; ++i)
      d[i] = sat16(d[i] * s[i]);
  else
    for (int i = 0; i < n; ++i)
      d[i] = sat16(half(d[i] * s[i]));
}
void addC16s(short c, short *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = sat16(d[i] + c);
}
void mulC16s(short c, short *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = sat16(d[i] * c);
}
void set16s(short v, short *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = v;
}
void copy16s(const short *s, short *d, int n) {
  std::memcpy(d, s, sizeof(short) * static_cast<std::size_t>(n));
}
void convert16s32f(const short *s, float *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = s[i];
}
void scale16s8u(const short *s, unsigned char *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = static_cast<unsigned char>(((s[i] - (s[i] >> 8)) >> 8) + 128);
}
float sqrSum(float *x, int n) {
  float sum = 0;
  for (int i = 0; i < n; ++i) {
    x[i] *= x[i];
    sum += x[i];
  }
  return sum;
}
void iir2(const float *taps, float *d, float *x, int n) {
  const float b0 = taps[0], b1 = taps[1], b2 = taps[2], a1 = taps[4], a2 = taps[5];
  float d0 = d[0], d1 = d[1];
  for (int i = 0; i < n; ++i) {
    const float y = b0 * x[i] + d0;
    d0 = b1 * x[i] - a1 * y + d1;
    d1 = b2 * x[i] - a2 * y;
    x[i] = y;
  }
  d[0] = d0;
  d[1] = d1;
}

// --- basic kernel rows -------------------------------------------------------------------

void add64f(const double *a, const double *b, double *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = a[i] + b[i];
}
void mul64fI(const double *s, double *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] *= s[i];
}
void addC64f(const double *s, double c, double *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = s[i] + c;
}
double max64f(const double *s, int n) {
  double m = s[0];
  for (int i = 1; i < n; ++i)
    m = s[i] > m ? s[i] : m;
  return m;
}
// (d + s) / 2 rounded half to even, exact in 64 bits.
void add32sSf1(const int *s, int *d, int n) {
  for (int i = 0; i < n; ++i) {
    const long long v = static_cast<long long>(d[i]) + s[i];
    d[i] = static_cast<int>((v + ((v >> 1) & 1)) >> 1);
  }
}

} // namespace bench_loops
