// The pin unit's global state, shared by the unit's sources; not for users of
// the framework.
#pragma once

#include <string>
#include <vector>

#include "framework/pins/OWPins_list.h"
#include "framework/pins/OWPins_pin.h"
#include "platform/sys/Sync.h"

// The list of all pins (non-owning) and the list of pending placeholders
// (owning: taking one out frees it, see OWRemovePending).
using TOWInternalPinList = std::vector<TOWBasicPin *>;
using TOWBasicPinList = std::vector<TOWUnloadedPin *>;

struct TOWPinsUnit {
  // Guards the lists below (not the notifier list, which locks itself).
  sys::TCriticalSection cs;
  TInterfaceList<IOWPinNotifier> notifiers;
  std::vector<TOWStateDispatcher *> designingGroups;
  std::vector<TOWStateDispatcher *> runtimeGroups;
  TOWInternalPinList allPins;
  // Owns the placeholders that still wait for their real pin.
  TOWBasicPinList pending;
};

// The unit's state; made by OWPinsInitialization.
TOWPinsUnit &OWUnit();

// Takes the placeholder out of the pending list and frees it (nothing when it
// is not there).
void OWRemovePending(TOWUnloadedPin *placeholder);

// Cuts a name at its first or last ".": the part after it (or the whole name
// when it holds no "."), and the part before it (empty without ".").
std::string OWAfterFirstDot(const std::string &name);
std::string OWAfterLastDot(const std::string &name);

// Calls fn for every pin of the all-pins list that is still in it when its
// turn comes (fn may free placeholders), under the unit's critical section.
void OWForEachPin(const std::function<void(TOWBasicPin *)> &fn);

// The pin events every unit raises.
inline void OWRaisePinChanged(TOWBasicPin *pin) {
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinChanged(pin); });
}
inline void OWRaisePinConnected(TOWBasicPin *pin, TOWPinObject *peer) {
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinConnected(pin, peer); });
}
inline void OWRaisePinDisconnected(TOWBasicPin *pin, TOWPinObject *peer) {
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinDisconnected(pin, peer); });
}

// The pins that pin could link to, for linking by name: listed over
// component's root with component's name as prefix when component is given and
// is not pin's root, else over pin's own root. False when the listing failed.
bool OWListLinkCandidates(TStringList *list, TOWPin *pin, TComponent *component,
                          TOWPinValueFilters filters);

// True when pin is a source pin / sink pin / state pin / placeholder.
inline TOWSourcePin *OWAsSource(TOWBasicPin *pin) { return dynamic_cast<TOWSourcePin *>(pin); }
inline TOWSinkPin *OWAsSink(TOWBasicPin *pin) { return dynamic_cast<TOWSinkPin *>(pin); }
inline TOWStatePin *OWAsState(TOWBasicPin *pin) { return dynamic_cast<TOWStatePin *>(pin); }
inline TOWUnloadedPin *OWAsPlaceholder(TOWBasicPin *pin) {
  return dynamic_cast<TOWUnloadedPin *>(pin);
}

// Whether a pin's owner is designing (a placeholder always counts as such).
inline bool OWPinDesigning(TOWBasicPin *pin) { return pin->OwnerInDesigning(); }
