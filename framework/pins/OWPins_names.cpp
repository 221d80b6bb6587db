// Pin names from the published properties that hold the pins.
#include "framework/pins/OWPins.h"

#include "framework/pins/OWPins_internal.h"

std::string OWPropertyNameOf(TObject *object, TObject *value, std::string_view className) {
  try {
    for (const TPropInfo *p : object->ClassInfo().ObjectProperties())
      if (p->GetObject && p->GetObject(object) == value && value->InheritsFrom(className))
        return p->Name;
  } catch (...) {
    // A property that cannot be read names nothing.
  }
  return {};
}

std::string OWValueToString(TOWBasicPin *pin, const std::string & /*separator*/, bool withRoot,
                            bool indexed) {
  if (!pin)
    return {};
  TComponent *owner = pin->GetOwnerComponent();
  if (!owner)
    return "(No owner)";
  std::string s = owner->Name() + ".";
  if (TOWPinList *list = pin->GetPinList()) {
    s += OWPropertyNameOf(owner, list, "TOWPinList");
    const int i = list->IndexOf(pin);
    if (i >= 0)
      s += indexed ? "._Pin" + std::to_string(i) : "." + list->GetName(i);
  } else {
    s += OWPropertyNameOf(owner, pin, "TOWPin");
  }
  if (withRoot)
    s = pin->GetRootName() + "." + s;
  return s;
}
