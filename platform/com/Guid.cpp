#include "platform/com/Guid.h"

namespace com {

std::string TGUID::ToString() const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(38);
  auto put = [&](uint64_t v, int digits) {
    for (int i = digits - 1; i >= 0; --i)
      s += kHex[(v >> (4 * i)) & 0xF];
  };
  s += '{';
  put(Data1, 8);
  s += '-';
  put(Data2, 4);
  s += '-';
  put(Data3, 4);
  s += '-';
  put(Data4[0], 2);
  put(Data4[1], 2);
  s += '-';
  for (int i = 2; i < 8; ++i)
    put(Data4[i], 2);
  s += '}';
  return s;
}

} // namespace com
