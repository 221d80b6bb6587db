// What the window's tests set directly: states and flags that no user step
// reaches alone (a paused state nothing enters, a take in a window without
// audio components), so a test can start from them. Reads go through the
// window's own accessors.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "app/MainUnit.h"

class TMainFormTestAccess {
public:
  explicit TMainFormTestAccess(TMainForm &form) : form_(form) {}

  // Each setter returns the access, so one line can set a take's flags.
  const TMainFormTestAccess &SetState(TRecorderState state) const {
    form_.FState = state;
    return *this;
  }
  const TMainFormTestAccess &SetDeviceCount(int32_t count) const {
    form_.FDeviceCount = count;
    return *this;
  }
  const TMainFormTestAccess &SetRecordLength(int64_t length) const {
    form_.FRecordLength = length;
    return *this;
  }
  const TMainFormTestAccess &SetMarkState(uint8_t state) const {
    form_.FMarkState = state;
    return *this;
  }
  const TMainFormTestAccess &SetHasNewRecording(bool value) const {
    form_.FHasNewRecording = value;
    return *this;
  }
  const TMainFormTestAccess &SetDeleteWorkFileOnClose(bool value) const {
    form_.FDeleteWorkFileOnClose = value;
    return *this;
  }
  const TMainFormTestAccess &SetCanSave(bool value) const {
    form_.FCanSave = value;
    return *this;
  }
  const TMainFormTestAccess &SetFileName(const std::string &name) const {
    form_.FFileName = name;
    return *this;
  }

private:
  TMainForm &form_;
};

inline TMainFormTestAccess Access(TMainForm &form) { return TMainFormTestAccess(form); }

// States print by name in a failed expectation.
inline void PrintTo(TRecorderState state, std::ostream *os) {
  static const char *const names[] = {"Idle", "Recording", "Playing", "RecordingPaused",
                                      "PlayingPaused"};
  const auto i = static_cast<unsigned>(state);
  *os << (i < 5 ? names[i] : "?");
}
