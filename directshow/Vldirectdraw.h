// Run-time binding of the 2-D drawing library, its headers' macros and the
// descriptions of its result codes. The library is optional and never
// present on this platform.
//
// Threads: as Vldirectsound.h; DDErrorString is a pure function.
#pragma once

#include <cstdint>
#include <string>

enum TVLDirectDrawCell : uint32_t {
  ddDirectDrawEnumerateA,
  ddDirectDrawEnumerateW,
  ddDirectDrawEnumerate, // the A form
  ddDirectDrawEnumerateExA,
  ddDirectDrawEnumerateExW,
  ddDirectDrawEnumerateEx, // the A form
  ddDirectDrawCreate,
  ddDirectDrawCreateEx,
  ddDirectDrawCreateClipper,
  ddCellCount
};

// Loads "ddraw.dll"; true when DirectDrawCreate resolved.
bool LoadDirectDraw();
bool UnLoadDirectDraw();
bool DirectDrawLoaded();
void *DirectDrawCell(TVLDirectDrawCell cell);

void VldirectdrawInitialization();
void VldirectdrawFinalization();

namespace vldirectdraw {
constexpr uint32_t MAKEFOURCC(uint8_t c0, uint8_t c1, uint8_t c2, uint8_t c3) {
  return uint32_t(c0) | (uint32_t(c1) << 8) | (uint32_t(c2) << 16) | (uint32_t(c3) << 24);
}
} // namespace vldirectdraw

constexpr int32_t MAKE_DDHRESULT(uint32_t code) { return static_cast<int32_t>(0x88760000u | code); }
constexpr uint32_t GET_WHQL_YEAR(uint32_t dw) { return dw / 0x10000u; }
constexpr uint32_t GET_WHQL_MONTH(uint32_t dw) { return (dw / 0x100u) & 0xFFu; }
constexpr uint32_t GET_WHQL_DAY(uint32_t dw) { return dw & 0xFFu; }

// One sentence describing a drawing result code; "Unrecognized Error" for a
// code outside the table.
std::string DDErrorString(int32_t result);
