// Run-time binding of the sound library and the sound headers' macros. The
// library is optional: the unit's initialisation tries to load it and the
// program goes on without it (on this platform it is never present).
//
// Threads: initialisation and finalisation run on the main thread; the load
// state is locked, so the queries may run anywhere.
#pragma once

#include <cstdint>

// Cells of the resolved exports, in the library's export order.
enum TVLDirectSoundCell : uint32_t {
  dsDirectSoundCreate,
  dsDirectSoundEnumerateW,
  dsDirectSoundEnumerateA,
  dsDirectSoundEnumerate, // the A form
  dsDirectSoundCaptureCreate,
  dsDirectSoundCaptureEnumerateW,
  dsDirectSoundCaptureEnumerateA,
  dsDirectSoundCaptureEnumerate, // the A form
  dsDirectSoundCreate8,
  dsDirectSoundCaptureCreate8,
  dsDirectSoundFullDuplexCreate,
  dsDirectSoundFullDuplexCreate8, // the same export
  dsGetDeviceID,
  dsCellCount
};

// Loads "dsound.dll" when not loaded; true when DirectSoundCreate resolved
// (otherwise the library is freed again).
bool LoadDirectSound();
// Frees the library and clears every cell; true when not loaded.
bool UnLoadDirectSound();
bool DirectSoundLoaded();
// The address in a cell; null while the library is not loaded.
void *DirectSoundCell(TVLDirectSoundCell cell);

// Counted unit initialisation: only the first loads, only the last frees.
void VldirectsoundInitialization();
void VldirectsoundFinalization();

constexpr int32_t MAKE_DSHRESULT(uint32_t code) { return static_cast<int32_t>(0x88780000u | code); }
constexpr uint32_t DSSPEAKER_COMBINED(uint32_t config, uint32_t geometry) {
  return (config & 0xFFu) | ((geometry & 0xFFu) << 16);
}
constexpr uint32_t DSSPEAKER_CONFIG(uint32_t a) { return a & 0xFFu; }
constexpr uint32_t DSSPEAKER_GEOMETRY(uint32_t a) { return (a >> 16) & 0xFFu; }
