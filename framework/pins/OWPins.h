// The pin-and-link framework: framework objects and lock groups, pins, links,
// operations and their delivery, link persistence, state groups and pin lists.
// Include this header to use the framework.
#pragma once

#include "framework/pins/OWMultiReadLock.h"
#include "framework/pins/OWPins_list.h"
#include "framework/pins/OWPins_object.h"
#include "framework/pins/OWPins_pin.h"
#include "framework/pins/OWPins_types.h"

// Start-up and shut-down of the framework's global state (global lock, unit
// critical section, pin lists, state-group lists, notifiers). Start-up runs once
// on the main thread before any pin exists; a second call does nothing.
void OWPinsInitialization();
void OWPinsFinalization();
