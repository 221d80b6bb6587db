// What the window's tests set directly: states and flags that no user step
// reaches alone (a paused state nothing enters, a take in a window without
// audio components), so a test can start from them. Reads go through the
// window's own accessors.
#pragma once

#include <ostream>

#include "app/MainUnit.h"

class TMainFormTestAccess {
public:
  explicit TMainFormTestAccess(TMainForm &form) : form_(form) {}

  void SetState(TRecorderState state) const { form_.FState = state; }

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
