// Globally unique identifiers as the component object model uses them:
// interface identifiers, stream types and class identifiers.
//
// A TGUID is a plain 16-byte value (a 32-bit field, two 16-bit fields and
// eight bytes), compared, ordered and hashed by value. Its text form is the
// registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hex
// digits. Constants are written with TGUID::FromLiteral, which checks the text
// at compile time; text from outside goes through TGUID::TryParse, which
// reports bad input instead of throwing. Everything here is safe to use from
// any thread.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace com {

struct TGUID {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  uint8_t Data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

  // "{2BFF1BE1-1698-4CFA-A427-9E0801C5B357}"; the braces are required and
  // hex digits may be of either case. A malformed literal fails to compile.
  static consteval TGUID FromLiteral(std::string_view text) {
    std::optional<TGUID> g = Parse(text);
    if (!g)
      throw "malformed GUID literal"; // not a constant expression: compile error
    return *g;
  }

  // The registry form with or without braces; nullopt for anything else
  // (wrong length, misplaced dashes, non-hex digits, stray characters).
  static constexpr std::optional<TGUID> TryParse(std::string_view text) { return Parse(text); }

  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex digits.
  std::string ToString() const;

  constexpr bool IsNull() const { return *this == TGUID{}; }

  friend constexpr bool operator==(const TGUID &a, const TGUID &b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
      return false;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i])
        return false;
    return true;
  }
  // Field by field (Data1, Data2, Data3, then the eight bytes): an arbitrary
  // but fixed order for sorted containers.
  friend constexpr std::strong_ordering operator<=>(const TGUID &a, const TGUID &b) {
    if (auto c = a.Data1 <=> b.Data1; c != 0)
      return c;
    if (auto c = a.Data2 <=> b.Data2; c != 0)
      return c;
    if (auto c = a.Data3 <=> b.Data3; c != 0)
      return c;
    for (int i = 0; i < 8; ++i)
      if (auto c = a.Data4[i] <=> b.Data4[i]; c != 0)
        return c;
    return std::strong_ordering::equal;
  }

private:
  static constexpr int HexValue(char c) {
    if (c >= '0' && c <= '9')
      return c - '0';
    if (c >= 'a' && c <= 'f')
      return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
      return c - 'A' + 10;
    return -1;
  }
  static constexpr std::optional<TGUID> Parse(std::string_view text) {
    if (text.size() == 38) {
      if (text.front() != '{' || text.back() != '}')
        return std::nullopt;
      text = text.substr(1, 36);
    }
    if (text.size() != 36)
      return std::nullopt;
    uint8_t bytes[16] = {};
    int n = 0;
    for (size_t i = 0; i < 36;) {
      if (i == 8 || i == 13 || i == 18 || i == 23) {
        if (text[i] != '-')
          return std::nullopt;
        ++i;
        continue;
      }
      int hi = HexValue(text[i]), lo = HexValue(text[i + 1]);
      if (hi < 0 || lo < 0)
        return std::nullopt;
      bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
      i += 2; // every group has an even length, so a pair never spans a dash
    }
    TGUID g;
    g.Data1 = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
              bytes[3];
    g.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i)
      g.Data4[i] = bytes[8 + i];
    return g;
  }
};

static_assert(sizeof(TGUID) == 16);

// The all-zero GUID: "no identifier".
inline constexpr TGUID GUID_NULL{};

} // namespace com

template <> struct std::hash<com::TGUID> {
  size_t operator()(const com::TGUID &g) const noexcept {
    uint64_t a = (uint64_t(g.Data1) << 32) | (uint64_t(g.Data2) << 16) | g.Data3;
    uint64_t b = 0;
    for (int i = 0; i < 8; ++i)
      b = (b << 8) | g.Data4[i];
    return std::hash<uint64_t>{}(a * 0x9E3779B97F4A7C15ull ^ b);
  }
};

using com::GUID_NULL;
using com::TGUID;
