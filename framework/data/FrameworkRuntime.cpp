#include "framework/data/FrameworkRuntime.h"

#include "framework/data/ALStreamTypes.h"
#include "framework/data/SLClockGen.h"
#include "framework/data/SLInternalStore.h"
#include "framework/data/SLStreamTypes.h"
#include "framework/pins/OWPins.h"
#include "framework/pins/OWStdTypes.h"

void FrameworkInitialization() {
  OWPinsInitialization();
  OWStdTypesInitialization();
  SLStreamTypesInitialization();
  ALStreamTypesInitialization();
}

void FrameworkFinalization() {
  // Generator threads run their clients under the global lock: they end first.
  SLClockGenFinalization();
  // The audio stream type has nothing of its own to release; its default
  // handler goes with the pins' registry below.
  SLStreamTypesFinalization();
  OWStdTypesFinalization();
  OWPinsFinalization();
  SLMemoryCleanUp();
}
