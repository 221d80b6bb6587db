#include "framework/dispatch/Libcdispatcher.h"

#include <cmath>
#include <cstring>

#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/IppTypes.h"

namespace Libcdispatcher {

namespace {
using dispatch_ops::ext;

constexpr ext kLog2e = 1.442695040888963407359924681001892137L;
constexpr double kTrigLimit = 9223372036854775808.0; // 2^63
} // namespace

double _sqrt(double x) noexcept { return std::sqrt(x); }

double _sin(double x) noexcept {
  if (std::isfinite(x) && std::fabs(x) >= kTrigLimit)
    return 0.0;
  return static_cast<double>(std::sin(static_cast<ext>(x)));
}

double _cos(double x) noexcept {
  if (std::isfinite(x) && std::fabs(x) >= kTrigLimit)
    return 0.0;
  return static_cast<double>(std::cos(static_cast<ext>(x)));
}

double _exp(double x) noexcept {
  // The split would give inf - inf for infinite arguments.
  if (std::isinf(x))
    return x > 0 ? x : 0.0;
  if (std::isnan(x))
    return x;
  const ext t = static_cast<ext>(x) * kLog2e;
  // Beyond these the result is out of even the extended range (and n out of int's).
  if (t > 20000)
    return HUGE_VAL;
  if (t < -20000)
    return 0.0;
  const ext n = std::nearbyint(t);
  return static_cast<double>(std::ldexp(std::exp2(t - n), static_cast<int>(n)));
}

double _log(double x) noexcept {
  if (x < 0)
    return ippDefaultNaN;
  return static_cast<double>(std::log(static_cast<ext>(x)));
}

double _floor(double x) noexcept { return std::floor(x); }

double _ceil(double x) noexcept { return std::ceil(x); }

double _pow(double x, double y) noexcept { return std::pow(x, y); }

double _atan2(double y, double x) noexcept {
  return static_cast<double>(std::atan2(static_cast<ext>(y), static_cast<ext>(x)));
}

void *_memmove(void *dst, const void *src, int n) noexcept {
  if (n >= 1 && dst != src)
    std::memmove(dst, src, static_cast<unsigned>(n));
  return dst;
}

} // namespace Libcdispatcher
