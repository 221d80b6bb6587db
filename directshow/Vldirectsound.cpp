#include "directshow/Vldirectsound.h"

#include <atomic>

#include "directshow/VLDynamicLibrary.h"

namespace {

TVLDynamicLibrary &Library() {
  static TVLDynamicLibrary library(
      "dsound.dll",
      {"DirectSoundCreate", "DirectSoundEnumerateW", "DirectSoundEnumerateA",
       "DirectSoundEnumerateA", "DirectSoundCaptureCreate", "DirectSoundCaptureEnumerateW",
       "DirectSoundCaptureEnumerateA", "DirectSoundCaptureEnumerateA", "DirectSoundCreate8",
       "DirectSoundCaptureCreate8", "DirectSoundFullDuplexCreate", "DirectSoundFullDuplexCreate",
       "GetDeviceID"});
  return library;
}

std::atomic<int> initCount{0};

} // namespace

bool LoadDirectSound() {
  return Library().Load(
      [](TVLDynamicLibrary &l) { return l.Cell(dsDirectSoundCreate) != nullptr; });
}
bool UnLoadDirectSound() { return Library().Unload(); }
bool DirectSoundLoaded() { return Library().Loaded(); }
void *DirectSoundCell(TVLDirectSoundCell cell) { return Library().Cell(cell); }

void VldirectsoundInitialization() {
  if (initCount.fetch_add(1) == 0)
    LoadDirectSound();
}
void VldirectsoundFinalization() {
  if (initCount.fetch_sub(1) == 1)
    UnLoadDirectSound();
}
