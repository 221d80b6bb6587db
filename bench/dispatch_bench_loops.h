// Plain -O3 loops for the audio sample and filter rows of dispatch_bench.
#pragma once

namespace bench_loops {
void add16s(const short *s, short *d, int n, int sf);
void sub16s(const short *s, short *d, int n, int sf);
void mul16s(const short *s, short *d, int n, int sf);
void addC16s(short c, short *d, int n);
void mulC16s(short c, short *d, int n);
void set16s(short v, short *d, int n);
void copy16s(const short *s, short *d, int n);
void convert16s32f(const short *s, float *d, int n);
void scale16s8u(const short *s, unsigned char *d, int n);
float sqrSum(float *x, int n);
// Transposed direct form II of order 2 in single precision; taps b0 b1 b2 a0 a1 a2
// (a0 = 1), delays d[0], d[1].
void iir2(const float *taps, float *d, float *x, int n);

// Double and integer loops for the basic kernel rows.
void add64f(const double *a, const double *b, double *d, int n);
void mul64fI(const double *s, double *d, int n);
void addC64f(const double *s, double c, double *d, int n);
double max64f(const double *s, int n);
void add32sSf1(const int *s, int *d, int n);
} // namespace bench_loops
