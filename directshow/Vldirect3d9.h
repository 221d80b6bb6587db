// Run-time binding of the 3-D graphics library and its headers' macros. The
// library is optional and never present on this platform; creation then
// answers null.
//
// Threads: as Vldirectsound.h.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/com/Unknown.h"

// The 3-D interface is opaque here: nothing of the system calls it.
struct IDirect3D9 : public virtual com::IUnknown {};

bool LoadDirect3D9();
bool UnLoadDirect3D9();
bool Direct3D9Loaded();
// The library's creation function, its result taken over as a counted
// reference; null when the library or the export is missing.
com::TComPtr<IDirect3D9> Direct3DCreate9(uint32_t sdkVersion);

void Vldirect3d9Initialization();
void Vldirect3d9Finalization();

// kept: the headers' macros as functions, every one, called here or not.
using D3DCOLOR = uint32_t;

constexpr D3DCOLOR D3DCOLOR_ARGB(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return ((a & 0xFFu) << 24) | ((r & 0xFFu) << 16) | ((g & 0xFFu) << 8) | (b & 0xFFu);
}
constexpr D3DCOLOR D3DCOLOR_RGBA(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return D3DCOLOR_ARGB(a, r, g, b);
}
constexpr D3DCOLOR D3DCOLOR_XRGB(uint32_t r, uint32_t g, uint32_t b) {
  return D3DCOLOR_ARGB(0xFF, r, g, b);
}
constexpr D3DCOLOR D3DCOLOR_XYUV(uint32_t y, uint32_t u, uint32_t v) {
  return D3DCOLOR_ARGB(0xFF, y, u, v);
}
constexpr D3DCOLOR D3DCOLOR_AYUV(uint32_t a, uint32_t y, uint32_t u, uint32_t v) {
  return D3DCOLOR_ARGB(a, y, u, v);
}
// Each component times 255, rounded to the nearest integer (ties to even).
inline D3DCOLOR D3DCOLOR_COLORVALUE(float r, float g, float b, float a) {
  auto c = [](float v) {
    return static_cast<uint32_t>(static_cast<int64_t>(std::nearbyint(v * 255.0f)));
  };
  return D3DCOLOR_RGBA(c(r), c(g), c(b), c(a));
}
constexpr uint32_t D3DTS_WORLDMATRIX(uint32_t index) { return index + 256; }
constexpr uint32_t D3DPS_VERSION(uint32_t major, uint32_t minor) {
  return 0xFFFF0000u | (major << 8) | minor;
}
constexpr uint32_t D3DVS_VERSION(uint32_t major, uint32_t minor) {
  return 0xFFFE0000u | (major << 8) | minor;
}
constexpr uint32_t D3DSHADER_VERSION_MAJOR(uint32_t version) { return (version >> 8) & 0xFFu; }
constexpr uint32_t D3DSHADER_VERSION_MINOR(uint32_t version) { return version & 0xFFu; }
constexpr uint32_t D3DSHADER_COMMENT(uint32_t dwordSize) {
  return ((dwordSize << 16) & 0x7FFF0000u) | 0xFFFEu;
}
// Texture coordinate set sizes of a flexible vertex format.
constexpr uint32_t D3DFVF_TEXCOORDSIZE1(uint32_t index) { return 3u << (index * 2 + 16); }
constexpr uint32_t D3DFVF_TEXCOORDSIZE2(uint32_t index) { return 0u << (index * 2 + 16); }
constexpr uint32_t D3DFVF_TEXCOORDSIZE3(uint32_t index) { return 1u << (index * 2 + 16); }
constexpr uint32_t D3DFVF_TEXCOORDSIZE4(uint32_t index) { return 2u << (index * 2 + 16); }
constexpr uint32_t MAKEFOURCC(uint8_t c0, uint8_t c1, uint8_t c2, uint8_t c3) {
  return uint32_t(c0) | (uint32_t(c1) << 8) | (uint32_t(c2) << 16) | (uint32_t(c3) << 24);
}
constexpr int32_t MAKE_D3DHRESULT(uint32_t code) {
  return static_cast<int32_t>(0x88760000u | code);
}
constexpr int32_t MAKE_D3DSTATUS(uint32_t code) { return static_cast<int32_t>(0x08760000u | code); }
