// The mathematical and memory routines the generic variants call by their library
// names. Each keeps no state, so any thread may call them. Results computed at extended
// precision are rounded to double once, at the end.
#pragma once

namespace Libcdispatcher {

double _sqrt(double x) noexcept;
// Sine and cosine in radians; 0.0 for finite arguments with abs(x) >= 2^63, which the
// processor's instructions report as out of range.
double _sin(double x) noexcept;
double _cos(double x) noexcept;
// e^x as 2^(t - n) * 2^n with t = x * log2(e) and n = t rounded to nearest.
double _exp(double x) noexcept;
// Natural logarithm: -infinity for 0, the default NaN below 0.
double _log(double x) noexcept;
// Largest integer not above x / smallest not below x, for every double.
double _floor(double x) noexcept;
double _ceil(double x) noexcept;
double _pow(double x, double y) noexcept;
// Angle of (x, y) in -pi ... pi.
double _atan2(double y, double x) noexcept;
// Copies n bytes, overlap allowed; nothing for n < 1. Returns dst.
void *_memmove(void *dst, const void *src, int n) noexcept;

} // namespace Libcdispatcher
