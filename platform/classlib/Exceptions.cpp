#include "platform/classlib/Exceptions.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string Format(const char *format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string result;
  if (n > 0) {
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    result.assign(buffer.data(), static_cast<size_t>(n));
  }
  va_end(args);
  return result;
}

EListError EListError::IndexOutOfBounds(long long index) {
  return EListError(Format("List index out of bounds (%lld)", index));
}

EConvertError EConvertError::CannotAssign(const std::string &sourceClass, const std::string &destClass) {
  return EConvertError("Cannot assign a " + sourceClass + " to a " + destClass);
}

EAssertionFailed::EAssertionFailed(std::string text, std::string unit, int line)
    : Exception(Format("%s (%s, line %d)", text.c_str(), unit.c_str(), line)), text_(std::move(text)),
      unit_(std::move(unit)), line_(line) {}
