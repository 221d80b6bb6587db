// Start-up and shut-down of the framework libraries, in their one order.
//
// FrameworkInitialization: call on the main thread, before any pin,
// component, buffer or clock exists (the program's main, a test program's
// environment). In order: the pins unit's global state (global lock, pin and
// group lists), the value stream types' names and default handler, the buffer
// stream types and their default handler, the audio stream type's default
// handler. Afterwards the registries are only read. A second call changes
// nothing.
//
// FrameworkFinalization: call on the main thread after every component, pin,
// buffer and clock client is gone, with no other thread using the framework.
// In reverse order: waits for the clock generator threads to end, empties the
// buffer stream types' registry, frees the pins unit's global state (and the
// placeholders still pending) and empties the stream-type registry, then gives
// the buffer pool's kept blocks back to the heap. FrameworkInitialization may
// then run again.
//
// Later subsystems (media layer, audio components, the recorder) bring their
// own units up after FrameworkInitialization and down before
// FrameworkFinalization.
#pragma once

void FrameworkInitialization();
void FrameworkFinalization();

// Holds the framework up for its lifetime: one object in main (or a test
// program's environment) brackets everything else.
class TFrameworkRuntime {
public:
  TFrameworkRuntime() { FrameworkInitialization(); }
  ~TFrameworkRuntime() { FrameworkFinalization(); }
  TFrameworkRuntime(const TFrameworkRuntime &) = delete;
  TFrameworkRuntime &operator=(const TFrameworkRuntime &) = delete;
};
