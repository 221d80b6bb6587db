#include "framework/pins/OWPins.h"

namespace {
com::TComPtr<TOWGlobalLockObject> globalLockHolder;
}

void OWPinsInitialization() {
  if (OWGlobalLock)
    return;
  globalLockHolder = TOWGlobalLockObject::Create();
  OWGlobalLock = globalLockHolder.Get();
}

void OWPinsFinalization() {
  if (!OWGlobalLock)
    return;
  OWGlobalLock = nullptr;
  globalLockHolder.Reset();
}
