// Pin lists and the framework's pin naming and look-up functions.
//
// A TOWPinList is an ordered, indexed list of pins with optional display names,
// published as a property of its component and stored as its "Pins" value.
// Placeholders for pins not loaded yet follow the real pins; GetCount counts the
// real ones. TOWPinListOwner makes and destroys its pins itself and keeps their
// number between a minimum and a maximum.
//
// Locks: every change holds the global write section and the list's write
// section; reads hold the read sections. Lists live on the main thread.
#pragma once

#include <functional>
#include <string>

#include "framework/pins/OWPins_pin.h"
#include "platform/classlib/Lists.h"

class TOWPinList : public TOWObject {
  CLASSLIB_SIMPLE_CLASS(TOWPinList, TOWObject)
public:
  TOWPinList(TComponent *owner, bool ownsPins);
  ~TOWPinList() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void DefineProperties(TFiler *filer) override;

  virtual void SetCount(int) {}
  virtual void ReadConnectionsData(TReader *reader);
  virtual void WriteConnectionsData(TWriter *writer);
  virtual bool DoWrite();

  int GetCount();
  TOWBasicPin *GetPin(int index);
  // kept: public member of the pin list
  void SetPin(int index, TOWBasicPin *pin);
  std::string GetName(int index);
  std::string GetStoredName(int index);
  void SetName(int index, const std::string &name);
  // kept: public member of the pin list
  void SetPinName(TOWPin *pin, const std::string &name);
  std::string GetListName();
  TComponent *GetRoot();
  TComponent *GetOwner() const { return owner_; }
  int IndexOf(TOWBasicPin *pin);
  // kept: public member of the pin list
  bool OwnsPins() const { return ownsPins_; }
  int GetPlaceholderCount() const { return placeholders_; }

  void Add(TOWBasicPin *pin);
  // Raises EOWException for a pin the list already holds when the list owns
  // its pins (it would free it twice).
  void AddNamed(TOWBasicPin *pin, const std::string &name);
  void Delete(int index);
  void Remove(TOWBasicPin *pin);
  void Clear();
  void Swap(int i, int j);
  void CleanUnloaded();
  void ConnectPin(int index, TOWPinType ownKind, TOWPinType peerKind, const std::string &peerIdent,
                  const std::string &peerDisplay);

protected:
  // Reads one nested reference ("(ident 'display')" or an identifier already
  // read) and links the pin at index.
  void ReadReference(TReader *reader, int index, TOWPinType ownKind, TOWPinType peerKind);
  void ReadSinks(TReader *reader, int index);
  // Writes the "Pins" item of one pin.
  static void WritePinItem(TWriter *writer, TOWBasicPin *pin);
  // Frees a pin the list owned (a placeholder goes through the pending list).
  static void FreePin(TOWBasicPin *pin);
  // Hands pin the links of a pending placeholder named like it (its ident
  // form, else its display form, without root) in the list's own root: a
  // source loaded before the list's pins were made linked to such a
  // placeholder. Nothing when none waits.
  void TakeOverPlaceholderOf(TOWBasicPin *pin);

  TComponent *owner_;
  TStringList entries_;
  bool ownsPins_;
  int32_t placeholders_ = 0;
};

class TOWPinListOwner : public TOWPinList {
  CLASSLIB_SIMPLE_CLASS(TOWPinListOwner, TOWPinList)
public:
  using TCreateMethod = std::function<TOWPin *(TOWPinList *)>;
  using TDestroyMethod = std::function<void(TOWPinList *, TOWBasicPin *)>;

  TOWPinListOwner(TComponent *owner, TCreateMethod create, TDestroyMethod destroy);
  TOWPinListOwner(TComponent *owner, int minimum, int maximum, TCreateMethod create,
                  TDestroyMethod destroy);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  void SetCount(int n) override;
  void ReadConnectionsData(TReader *reader) override;
  bool DoWrite() override { return true; }

private:
  TCreateMethod create_;
  TDestroyMethod destroy_;
  int32_t minimum_ = 0;
  int32_t maximum_ = 100;
};

// Options of the value lists.
enum TOWPinValueFilter { pvoFullList, pvoSaveValue, pvoExcludeDirectDependency };
using TOWPinValueFilters = TOWSet<TOWPinValueFilter>;

// The name of the first published object property of object whose value is
// value and whose class has className among its ancestors; empty when none.
std::string OWPropertyNameOf(TObject *object, TObject *value, std::string_view className);

// Lists (name, object) of the objects of class className that obj publishes,
// walking into persistent sub-objects up to depth 20.
bool OWGetClassPropertiesOfTypeName(TObject *obj, const std::string &className, TStringList *list,
                                    bool saveValue);
bool OWGetPinsValueListSingleRoot(TStringList *list, TComponent *root, TOWPin *pin,
                                  const std::string &separator, const std::string &prefix,
                                  TOWPinValueFilters options);
bool OWGetPinsValueListSingle(TStringList *list, TComponent *component, TOWPin *pin,
                              const std::string &separator, const std::string &prefix,
                              TOWPinValueFilters options);
bool OWGetPinsValueList(TStringList *list, TOWPin *pin, const std::string &separator,
                        TOWPinValueFilters options);
