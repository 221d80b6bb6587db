#include "framework/pins/OWStdTypes.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

int32_t OWRoundToInteger(double value) noexcept {
  if (std::isnan(value))
    return 0;
  const double rounded = std::nearbyint(value);
  if (rounded >= 2147483647.0)
    return std::numeric_limits<int32_t>::max();
  if (rounded <= -2147483648.0)
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

float OWNarrowToSingle(double value) noexcept { return static_cast<float>(value); }

bool OWValueToBool(double value) noexcept { return value != 0.0; }

std::string OWFloatToText(double value) {
  constexpr int kDigits = 15;
  if (std::isnan(value))
    return "NAN";
  if (std::isinf(value))
    return value < 0 ? "-INF" : "INF";
  if (value == 0.0)
    return "0";

  // Scientific form rounded once to 15 significant digits: "-d.ddddddddddddddde+XX".
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, kDigits - 1);
  const std::string sci(buf, res.ptr);
  const bool negative = sci[0] == '-';
  const std::size_t start = negative ? 1 : 0;
  const std::size_t ePos = sci.find('e');
  std::string digits;
  for (std::size_t i = start; i < ePos; ++i)
    if (sci[i] != '.')
      digits += sci[i];
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  const char *localeSep = std::localeconv()->decimal_point;
  const std::string sep = (localeSep && *localeSep) ? localeSep : ".";
  std::string text = negative ? "-" : "";
  if (exponent >= kDigits || exponent < -5) {
    text += digits[0];
    if (digits.size() > 1)
      text += sep + digits.substr(1);
    text += 'E';
    text += std::to_string(exponent);
  } else if (exponent >= 0) {
    const std::size_t intLen = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
      text += digits + std::string(intLen - digits.size(), '0');
    } else {
      text += digits.substr(0, intLen) + sep + digits.substr(intLen);
    }
  } else {
    text += "0" + sep + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return text;
}
