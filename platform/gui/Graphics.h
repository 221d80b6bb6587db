// Colours as the class library gives them: 0x00BBGGRR, or a system colour
// (high byte 0x80) that the platform resolves at drawing time.
#pragma once

#include <cstdint>

using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clWindow = static_cast<TColor>(0x80000005u);
constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);
