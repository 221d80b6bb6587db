#include "platform/classlib/Exceptions.h"

#include <cctype>
#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One conversion of a printf-style format, applied with snprintf to a value
// that has already been taken from the argument list.
template <class T> void AppendOne(std::string &out, const std::string &piece, T value) {
  char small[128];
  int n = std::snprintf(small, sizeof small, piece.c_str(), value);
  if (n < 0)
    return;
  if (static_cast<size_t>(n) < sizeof small) {
    out.append(small, static_cast<size_t>(n));
    return;
  }
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::snprintf(big.data(), big.size(), piece.c_str(), value);
  out.append(big.data(), static_cast<size_t>(n));
}

} // namespace

// The class library's rules differ from C's in two conversions: hexadecimal
// digits are upper case ("%x" of 0x8000FFFF is "8000FFFF"), and "%p" is the
// pointer's full width in upper-case digits, zero-filled, without "0x" (a
// width only pads it with blanks). Every other conversion is C's.
std::string Format(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::string out;
  const char *p = format;
  while (*p) {
    if (*p != '%') {
      const char *q = p;
      while (*q && *q != '%')
        ++q;
      out.append(p, static_cast<size_t>(q - p));
      p = q;
      continue;
    }
    if (p[1] == '%') {
      out += '%';
      p += 2;
      continue;
    }
    // %[flags][width][.precision][length]conversion
    std::string piece = "%";
    const char *q = p + 1;
    while (*q && std::strchr("-+ #0", *q))
      piece += *q++;
    int width = -1;
    auto readNumber = [&](int &value) {
      if (*q == '*') {
        value = va_arg(args, int);
        piece += std::to_string(value);
        ++q;
        return;
      }
      if (!std::isdigit(static_cast<unsigned char>(*q)))
        return;
      value = 0;
      while (std::isdigit(static_cast<unsigned char>(*q))) {
        value = value * 10 + (*q - '0');
        piece += *q++;
      }
    };
    readNumber(width);
    if (*q == '.') {
      piece += *q++;
      int precision = 0;
      readNumber(precision);
    }
    std::string length;
    while (*q && std::strchr("hlLqjzt", *q))
      length += *q++;
    char conv = *q;
    if (conv == '\0') { // a lone '%' at the end is kept as text
      out.append(p, static_cast<size_t>(q - p));
      break;
    }
    ++q;
    if (conv == 'x')
      conv = 'X';
    if (conv == 'p') {
      char digits[2 * sizeof(void *) + 1];
      std::snprintf(digits, sizeof digits, "%0*" PRIXPTR, static_cast<int>(2 * sizeof(void *)),
                    reinterpret_cast<uintptr_t>(va_arg(args, void *)));
      std::string text = digits;
      if (width > 0 && static_cast<size_t>(width) > text.size()) {
        if (piece.find('-') != std::string::npos)
          text.append(static_cast<size_t>(width) - text.size(), ' ');
        else
          text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
      }
      out += text;
      p = q;
      continue;
    }
    piece += length;
    piece += conv;
    switch (conv) {
    case 'd':
    case 'i':
    case 'c':
    case 'u':
    case 'o':
    case 'X':
      if (length == "ll" || length == "q" || length == "j")
        AppendOne(out, piece, va_arg(args, long long));
      else if (length == "l" || length == "z" || length == "t")
        AppendOne(out, piece, va_arg(args, long));
      else
        AppendOne(out, piece, va_arg(args, int)); // hh and h arrive promoted to int
      break;
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (length == "L")
        AppendOne(out, piece, va_arg(args, long double));
      else
        AppendOne(out, piece, va_arg(args, double));
      break;
    case 's':
      AppendOne(out, piece, va_arg(args, const char *));
      break;
    default: // an unknown conversion is kept as text and takes no argument
      out.append(p, static_cast<size_t>(q - p));
      break;
    }
    p = q;
  }
  va_end(args);
  return out;
}

EListError EListError::IndexOutOfBounds(long long index) {
  return EListError(Format("List index out of bounds (%lld)", index));
}

EConvertError EConvertError::CannotAssign(const std::string &sourceClass,
                                          const std::string &destClass) {
  return EConvertError("Cannot assign a " + sourceClass + " to a " + destClass);
}

EAssertionFailed::EAssertionFailed(std::string text, std::string unit, int line)
    : Exception(Format("%s (%s, line %d)", text.c_str(), unit.c_str(), line)),
      text_(std::move(text)), unit_(std::move(unit)), line_(line) {}
