// Pins, links, dependencies, placeholder pins and state groups.
//
// Class tree: TOWObject -> TOWPinObject -> TOWBasicPin -> TOWPin ->
// TOWStreamPin -> TOWSourcePin, TOWSinkPin; TOWPin -> TOWStatePin;
// TOWBasicPin -> TOWUnloadedPin (placeholder); TOWPinObject ->
// TOWStateDispatcher (state group).
//
// Life: pins are class-library objects, created with CreateObject<T>(owner)
// and freed with FreeObject: the two phases enter the pin into the list of all
// pins and send PinCreated, and disconnect the pin from everything and take it
// out of the list before its destructors run. Components own their pins; pins are not
// reference-counted (their IOWStream AddRef/Release do nothing).
//
// Locks: every pin locks itself through the lock sections of OWPins_object.h.
// Making and breaking links takes the global write lock for the whole step
// (global, then source, then sink); notifications and queries take the global
// lock for reading and the pins' group locks. The framework's lists (all pins,
// pending placeholders, state groups) are guarded by the unit's critical
// section. Deliveries run synchronously in the calling thread; a handler that
// changes links in its own thread promotes its read of the global lock.
//
// Per call, below: "any thread" means the call takes what it needs itself
// (an object's lock section always takes the global read lock first, so a
// call that names only "own lock" also holds the global read lock). "Call
// with the global write lock held" marks the halves of a link step that the
// other end runs inside its own step; they take only their own lock.
#pragma once

#include <string>
#include <vector>

#include "framework/pins/OWPins_object.h"
#include "framework/pins/OWPins_types.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/FormStream.h"
#include "platform/classlib/Lists.h"

class TOWPinObject;
class TOWBasicPin;
class TOWPin;
class TOWStreamPin;
class TOWSourcePin;
class TOWSinkPin;
class TOWStatePin;
class TOWUnloadedPin;
class TOWStateDispatcher;
class TOWPinList;

// ---------------------------------------------------------------------------
// Observers

// An outside observer of pins, pin lists and state groups. Every call has an
// empty default so an observer overrides only what it watches. Raised under
// the locks of the change; exceptions an observer raises are dropped.
struct IOWPinNotifier : public virtual com::IUnknown {
  virtual void PinCreated(TOWBasicPin *) {}
  virtual void PinDestroying(TOWBasicPin *, bool /*keepLinks*/) {}
  virtual void PinChanged(TOWBasicPin *) {}
  virtual void PinConnected(TOWBasicPin *, TOWPinObject *) {}
  virtual void PinDisconnected(TOWBasicPin *, TOWPinObject *) {}
  virtual void PinListCreated(TOWPinList *) {}
  virtual void PinListDestroying(TOWPinList *) {}
  virtual void PinListChanged(TOWPinList *) {}
  virtual void PinListPinAdded(TOWPinList *, TOWBasicPin *, int) {}
  virtual void PinListPinRemoved(TOWPinList *, TOWBasicPin *, int) {}
  virtual void PinListPinsSwapped(TOWPinList *, TOWBasicPin *, TOWBasicPin *, int, int) {}
  virtual void PinConnectedByState(TOWStateDispatcher *) {}
  virtual void DispatcherDestroying(TOWStateDispatcher *, bool) {}
  virtual void DispatcherChanged(TOWStateDispatcher *) {}
};
using IOWPinNotifierPtr = com::TComPtr<IOWPinNotifier>;

// Any thread; under the unit's critical section.
void OWAddPinNotifier(IOWPinNotifierPtr notifier);
void OWRemovePinNotifier(IOWPinNotifier *notifier);

// ---------------------------------------------------------------------------
// Type lists

// A pin's ordered stream types, each with the handler that delivers it. At link
// time the types are tried from the last entry to the first, so a type added
// later is preferred. Guarded by its pin's lock.
class TOWPinStreamType {
public:
  struct TEntry {
    TGUID ID;
    TOWSubmit Submit;
  };

  // Replaces the handler in place when id is present, else appends.
  void AddType(const TGUID &id, TOWSubmit handler);
  void RemoveType(const TGUID &id);
  void ClearTypes() { entries_.clear(); }
  void SwapPosition(int i, int j);
  const TGUID &GetID(int i) const { return entries_.at(static_cast<size_t>(i)).ID; }
  const TOWSubmit &GetSubmitFunc(int i) const { return entries_.at(static_cast<size_t>(i)).Submit; }
  int GetLength() const { return static_cast<int>(entries_.size()); }
  int IndexOf(const TGUID &id) const;
  bool Contains(const TGUID &id) const { return IndexOf(id) >= 0; }
  void Delete(int i) { entries_.erase(entries_.begin() + i); }

private:
  std::vector<TEntry> entries_;
};

// A scratch list of candidate types while a link type is negotiated.
class TOWPinTypeRestricted : public TOWPinStreamType {
public:
  bool Ordered = false;
};

// ---------------------------------------------------------------------------
// Link entries

// What a source keeps for each linked sink. A placeholder uses only Sink (the
// real pin linked to the missing one) and AfterPin.
struct TOWPinEntry {
  TOWBasicPin *Sink = nullptr;
  TOWBasicPin *AfterPin = nullptr;
  TGUID DownStreamType = OWNULLID;
  TOWSubmit Handler;
  int32_t ChangeCounter = 0;
};

class TOWSinkPinEntryList : public TObjectList<TOWPinEntry> {
public:
  TOWSinkPinEntryList() : TObjectList<TOWPinEntry>(true) {}
  TOWPinEntry *Add();
  void Remove(TOWPinEntry *entry) { TObjectList<TOWPinEntry>::Remove(entry); }
  TOWPinEntry *GetItem(int index) const { return Items(index); }
  TOWPinEntry *GetItemByPin(const TOWBasicPin *pin) const;
  // Appends copies of other's entries (the after-pin is not copied).
  void CopyFromList(const TOWSinkPinEntryList &other);
};

// ---------------------------------------------------------------------------
// Dependency lists (a source's declarations about its inputs)

// Guarded by the owning source's lock: every call takes it (any thread).
class TOWSinkPinList {
public:
  explicit TOWSinkPinList(TOWSourcePin *owner) : owner_(owner) {}
  TOWSinkPinList(const TOWSinkPinList &) = delete;
  TOWSinkPinList &operator=(const TOWSinkPinList &) = delete;
  virtual ~TOWSinkPinList() = default;

  int GetCount() const;
  TOWSinkPin *GetItem(int index) const;
  bool Contains(const TOWSinkPin *pin) const;
  // A null pin is ignored; the same pin may be added twice.
  void Add(TOWSinkPin *pin);
  // Removes the first occurrence; an absent pin changes nothing.
  virtual void Remove(TOWSinkPin *pin);
  TOWSourcePin *GetOwner() const { return owner_; }

protected:
  friend class TOWSourcePin;
  bool RemoveFirst(TOWSinkPin *pin);
  TOWSourcePin *owner_;
  std::vector<TOWSinkPin *> items_;
};

// Function dependencies: the inputs an output is computed from.
class TOWFunctionSinkPinList : public TOWSinkPinList {
public:
  using TOWSinkPinList::TOWSinkPinList;
  // With shareLock, the output and the input join one lock group (which
  // takes the global write lock).
  void Add(TOWSinkPin *pin, bool shareLock);
  void Remove(TOWSinkPin *pin) override;
};

// Data-type dependencies: the inputs whose stream type an output follows.
class TOWDataTypeSinkPinList : public TOWSinkPinList {
public:
  using TOWSinkPinList::TOWSinkPinList;
  void Add(TOWSinkPin *pin, bool flag = false);
  void Remove(TOWSinkPin *pin) override;
};

// ---------------------------------------------------------------------------
// Pin objects

class TOWPinObject : public TOWObject {
  CLASSLIB_SIMPLE_CLASS(TOWPinObject, TOWObject)
public:
  // Every pin and state group hears of every pin destroyed, and of a
  // placeholder handing its links to the real pin.
  virtual void PinDeletedNotify(TOWBasicPin *) {}
  virtual void PinReplacedNotify(TOWBasicPin * /*old*/, TOWBasicPin * /*replacement*/) {}
  virtual void SetNotifyAfterByName(TOWPin *, const std::string &) {}
  virtual std::string GetAfterPinDisplayName(TOWPin *) { return {}; }
};

// Base of all pins: link and dependency checks, names, state-group membership.
class TOWBasicPin : public TOWPinObject, public IOWStream {
  CLASSLIB_SIMPLE_CLASS(TOWBasicPin, TOWPinObject)
public:
  TOWBasicPin();
  ~TOWBasicPin() override;
  void AfterConstruction() override;
  // Disconnects the pin, tells observers and every pin, under the global
  // write section.
  void BeforeDestruction() override;

  // IOWStream without reference counting.
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }

  virtual TComponent *GetOwnerComponent() const { return nullptr; }
  virtual bool RootInDestroying() const { return false; }
  // The other end's half of breaking or making a link: call with the global
  // write lock held (the other end's Disconnect or ConnectAfter holds it).
  virtual void IntDisconnect(TOWBasicPin * /*pin*/, bool /*keep*/) {}
  virtual void IntConnect(TOWBasicPin * /*pin*/, TOWBasicPin * /*afterPin*/) {}
  // May free a placeholder that nothing links to any more: the caller does
  // not touch it afterwards.
  virtual void CheckRemove() {}
  virtual TOWPinType GetPinType() const = 0;
  virtual TOWBasicPin *GetConnectedAfterPin(TOWBasicPin *pin);
  virtual bool DirectDependsOn(TOWBasicPin *pin) { return DependsOn(pin); }
  virtual TGUID GetConnectionID(TOWBasicPin *) { return OWNULLID; }
  virtual std::string GetRootName();
  virtual TComponent *GetRoot() const;
  virtual std::string GetName() = 0;
  virtual std::string GetSaveName() { return GetName(); }
  virtual std::string GetOwnerName();
  virtual std::string GetFullName(bool withRoot) = 0;
  virtual std::string GetFullIdentName(bool withRoot) = 0;
  // Queries of the topology: any thread; the global read lock for the
  // whole walk, so the links cannot change under it.
  virtual bool DependsOn(TOWBasicPin *pin) = 0;
  virtual bool CanConnectTo(TOWBasicPin *pin) = 0;
  // Any thread; own lock.
  virtual bool IsConnected();
  virtual bool IsConnectedTo(TOWBasicPin *pin);
  // Making and breaking links: any thread (a delivery's handler too: it
  // promotes its read); the global write lock for the whole step, then
  // source, then sink.
  bool ConnectByState(TOWBasicPin *pin) { return ConnectByStateAfter(pin, nullptr); }
  virtual bool ConnectByStateAfter(TOWBasicPin *pin, TOWBasicPin *afterPin);
  bool Connect(TOWBasicPin *pin) { return ConnectAfter(pin, nullptr); }
  virtual bool ConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
    return ConnectByStateAfter(pin, afterPin);
  }
  virtual bool CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin);
  virtual void Disconnect();
  // Delivers on the calling thread (any thread): the global read lock, then
  // the linked pins' group locks; handlers run with them held.
  virtual TOWNotifyResult Notify(IOWNotifyOperation *) { return {}; }
  virtual void LinkToStateByName(const std::string &name);
  virtual void CheckVirtualList() {}
  virtual bool DoStateWrite();
  virtual void ReadConnectionsData(TReader *) {}
  virtual void ReadStateConnectionsData(TReader *reader);
  virtual void WriteStateConnectionsData(TWriter *writer);
  virtual int GetConnectedPinCount() { return 0; }
  virtual TOWBasicPin *GetConnectedPin(int) { return nullptr; }
  virtual int GetDispatcherCount();
  virtual TOWStateDispatcher *GetDispatcher(int index);
  bool ConnectToState(TOWStateDispatcher *group) { return ConnectToStateAfter(group, nullptr); }
  virtual bool ConnectToStateAfter(TOWStateDispatcher *group, TOWBasicPin *afterPin);
  virtual bool CanConnectToState(TOWStateDispatcher *group);
  // The unit's critical section guards the group lists.
  virtual TOWStateDispatcher *CreateDispatcher(TComponent *component);
  virtual TOWStateDispatcher *CreateNamedDispatcher(const std::string &name, bool designing);
  virtual bool OwnerInDesigning() = 0;
  virtual TGUID FindConnectionID(TOWBasicPin *pin) = 0;
  virtual TOWNotifyResult NotifyDispatcher(IOWNotifyOperation *operation, TOWNotifyState state,
                                           TOWBasicPin *pin) = 0;
  virtual void UpdateStateValue() {}
  virtual HRESULT RequestInterface(const TGUID &iid, void **out) {
    return QueryInterface(iid, out);
  }

  // True for a real pin, false for a placeholder.
  bool GetIsRealPin() const;
  // 0 when the pin implements the stream interface iid (the reference that the
  // query hands back is released at once).
  HRESULT RequestInterfaceOnly(const TGUID &iid);

  // Set while the owner builds its pins, before any link.
  TOWPinList *GetPinList() const { return pinList_; }
  void SetPinList(TOWPinList *list) { pinList_ = list; }
  void SetAssociatedObject(TObject *object) { associated_ = object; }
  // kept: public member of the pin
  TObject *GetAssociatedObject() const { return associated_; }
  // Changed only with the global write lock held; read under the global lock.
  TOWStateDispatcher *GetStateGroup() const { return stateGroup_; }
  void SetStateGroup(TOWStateDispatcher *group) { stateGroup_ = group; }

protected:
  // Leaves the state group (the base part of Disconnect), raising PinChanged.
  void LeaveStateGroup();

private:
  TOWPinList *pinList_ = nullptr;
  TObject *associated_ = nullptr;
  TOWStateDispatcher *stateGroup_ = nullptr;
};

// A pin with an owner component, names and a list of stream types.
class TOWPin : public TOWBasicPin {
  CLASSLIB_SIMPLE_CLASS(TOWPin, TOWBasicPin)
public:
  explicit TOWPin(TComponent *owner);
  ~TOWPin() override;

  void DefineProperties(TFiler *filer) override;

  TComponent *GetOwnerComponent() const override { return owner_; }
  bool RootInDestroying() const override;
  std::string GetName() override;
  std::string GetFullName(bool withRoot) override;
  std::string GetFullIdentName(bool withRoot) override;
  std::string GetSaveName() override;
  std::string GetRootName() override;
  TGUID GetConnectionID(TOWBasicPin *pin) override { return GetStateSubmitID(pin); }
  bool CanConnectTo(TOWBasicPin *pin) override;
  TGUID FindConnectionID(TOWBasicPin *pin) override;
  TOWNotifyResult Notify(IOWNotifyOperation *operation) override;
  TOWNotifyResult NotifyDispatcher(IOWNotifyOperation *operation, TOWNotifyState state,
                                   TOWBasicPin *pin) override;
  bool OwnerInDesigning() override;
  void CheckVirtualList() override;
  bool DependsOn(TOWBasicPin *) override { return false; }

  virtual TGUID GetPrimaryConnectionID();
  virtual TGUID GetStateSubmitID(TOWBasicPin *pin) { return FindConnectionID(pin); }
  virtual bool IsCompatible(TOWBasicPin *pin);
  virtual bool IsConnectedToState(TOWStateDispatcher *group);
  virtual void OrderStreamTypes(TOWPinTypeRestricted *list);

  // Any thread; own lock.
  void AddType(const TGUID &id);
  void AddType(const TGUID &id, TOWSubmit handler);
  // kept: public member of the pin
  void RemoveType(const TGUID &id);
  void ClearTypes();
  // The handler for id: the entry's own, (this pin, DefaultNotifyDispatcher)
  // when it has none, empty for OWNULLID or a type not in the list.
  TOWSubmit GetSubmitFunctionID(const TGUID &id);
  // Delivers through the registry's default handler of the link's type.
  TOWNotifyResult DefaultNotifyDispatcher(IOWStream *handler, const TGUID *dataTypeId,
                                          IOWNotifyOperation *operation, TOWNotifyState state);
  // kept: public member of the pin
  std::string GetLinkNameID(const TGUID &id);
  // kept: public member of the pin
  std::string GetConnectionName(TOWBasicPin *pin) { return GetLinkNameID(GetConnectionID(pin)); }
  // Any thread; own lock.
  bool OwnerInLoading();

  // The type list; guarded by the pin's lock.
  const TOWPinStreamType &GetTypes() const { return types_; }
  int GetNestingCount() const { return nesting_; }

protected:
  friend class TOWSourcePin;
  TComponent *owner_;
  std::string cachedRootName_;
  TOWPinStreamType types_;
  // Notifications and new-link deliveries of this pin under way; changed
  // under the pin's write section.
  int32_t nesting_ = 0;
};

// Base of source and sink pins: candidate types along pass-through chains.
// The negotiation walks run inside link steps, with the global write lock
// held by the pin that makes the link; each pin takes its own lock.
class TOWStreamPin : public TOWPin {
  CLASSLIB_SIMPLE_CLASS(TOWStreamPin, TOWPin)
public:
  using TOWPin::TOWPin;
  virtual void DownStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                 TOWStreamPin *origin) = 0;
  virtual void UpStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list,
                                               TOWStreamPin *origin) = 0;
  virtual HRESULT DownStreamQueryPossybleInterface(const TGUID &iid) = 0;
  virtual HRESULT UpStreamQueryPossybleInterface(const TGUID &iid) = 0;
  virtual void BackPopulateStreamChains(TOWObjectListList &chains, TOWObjectList *chain);

  // The source's most recently added type that pin accepts (source side).
  TGUID DownStreamFindConnectionID(TOWBasicPin *pin);

protected:
  // Adds the pin's own types to the list with their handlers.
  void FillOwnTypes(TOWPinTypeRestricted *list);
  // Keeps only the pin's own types, or only the types the pin accepts.
  void KeepOwnTypes(TOWPinTypeRestricted *list);
  void KeepAcceptedTypes(TOWPinTypeRestricted *list);
};

// An output pin: one link entry per linked sink, served in entry order.
class TOWSourcePin : public TOWStreamPin {
  CLASSLIB_SIMPLE_CLASS(TOWSourcePin, TOWStreamPin)
public:
  explicit TOWSourcePin(TComponent *owner);
  ~TOWSourcePin() override;

  void DefineProperties(TFiler *filer) override;
  HRESULT RequestInterface(const TGUID &iid, void **out) override;

  TOWPinType GetPinType() const override { return ptSource; }
  // Own lock, and with it the global read lock; a sink is asked in turn.
  bool CanConnectTo(TOWBasicPin *pin) override;
  bool CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) override;
  bool ConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) override;
  // Adds the sink's entry under the pin's own lock only: call with the
  // global write lock held (the sink's ConnectAfter holds it), so no
  // delivery walks the entries while one is added.
  void IntConnect(TOWBasicPin *pin, TOWBasicPin *afterPin) override;
  // Call with the global write lock held (the sink's Disconnect holds it).
  void IntDisconnect(TOWBasicPin *pin, bool keep) override;
  void Disconnect() override;
  bool IsCompatible(TOWBasicPin *pin) override;
  bool IsConnected() override;
  bool IsConnectedTo(TOWBasicPin *pin) override;
  TGUID GetConnectionID(TOWBasicPin *pin) override;
  TGUID GetPrimaryConnectionID() override;
  TOWBasicPin *GetConnectedAfterPin(TOWBasicPin *pin) override;
  int GetConnectedPinCount() override { return GetSinkCount(); }
  TOWBasicPin *GetConnectedPin(int index) override { return GetSink(index); }
  bool DependsOn(TOWBasicPin *pin) override;
  bool DirectDependsOn(TOWBasicPin *pin) override;
  TOWNotifyResult Notify(IOWNotifyOperation *operation) override {
    return NotifyPin(nullptr, operation);
  }
  void ReadConnectionsData(TReader *reader) override;
  void PinDeletedNotify(TOWBasicPin *pin) override;
  void PinReplacedNotify(TOWBasicPin *old, TOWBasicPin *replacement) override;
  void SetNotifyAfterByName(TOWPin *pin, const std::string &name) override;
  std::string GetAfterPinDisplayName(TOWPin *pin) override;
  void UpdateStateValue() override;
  void BackPopulateStreamChains(TOWObjectListList &chains, TOWObjectList *chain) override;
  void DownStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin) override;
  void UpStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin) override;
  HRESULT DownStreamQueryPossybleInterface(const TGUID &iid) override;
  HRESULT UpStreamQueryPossybleInterface(const TGUID &iid) override;

  // Any thread; own lock. An index is only good while the caller holds the
  // global read lock (links may change between two calls otherwise).
  virtual int GetSinkCount();
  virtual TOWBasicPin *GetSink(int index);
  virtual bool CheckDownStreamInterfaces(TOWBasicPin *sink);
  // Called inside the link step (global write lock held), on the linking
  // thread; own lock.
  virtual void NewConnection(TOWBasicPin *pin, const TOWSubmit &handler);
  virtual void NewConnection(TOWBasicPin *pin);
  // While the form is written.
  virtual void WriteConnectionsData(TWriter *writer);
  virtual bool DoWrite();

  // kept: public member of the source pin
  TOWSubmit GetSubmit(int index);
  TGUID GetSubmitID(int index);
  // Delivers to the one sink pin, or to all sinks when pin is null. Any
  // thread: the global read lock, then each sink's stream locks.
  TOWNotifyResult NotifyPin(TOWBasicPin *pin, IOWNotifyOperation *operation);
  // Own lock.
  void ReorderChangedData();
  // Makes a link without the design-mode and compatibility checks. Any
  // thread; takes the global write lock.
  bool IntConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin);
  void PopulateStreamLocks();
  // Own lock; inside a link step (global write lock held).
  void ChangeConnectionType(int index, const TGUID &type);

  // Linking by name and link texts, while forms load or are edited; the
  // links are made as by ConnectAfter.
  bool TryLinkTo(TComponent *component, const std::string &name, const std::string &s1,
                 const std::string &s2, bool keepWhenEmpty);
  // kept: public member of the source pin
  void TryLinkToList(TComponent *component, const std::vector<std::string> &names,
                     const std::vector<std::string> &others);
  std::string GetLinkStr(int index);
  bool IsLinkedTo(const std::string &name);
  bool IsConnectedToPinName(const std::string &name);
  // kept: public member of the source pin
  void DisconnectFromPinName(const std::string &name);

  // Pass-through negotiation steps.
  void DownStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  void UpStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  void DownStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  void UpStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  HRESULT DownStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  HRESULT UpStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  HRESULT DownStreamForthQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  HRESULT UpStreamForthQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  void BackChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType);
  void ForthChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType);

  TOWFunctionSinkPinList &FunctionDependencies() { return functionDependencies_; }
  TOWDataTypeSinkPinList &DataTypeDependencies() { return dataTypeDependencies_; }
  // The entries; guarded by the pin's lock.
  const TOWSinkPinEntryList &GetEntries() const { return entries_; }

private:
  friend class TOWSinkPin;
  // One search of DependsOn: every source met on it, so that a pin reached
  // again answers false instead of looping. Kept per search, not on the pins,
  // so that searches in several threads do not disturb each other.
  bool DependsOnSearch(TOWBasicPin *pin, std::vector<TOWSourcePin *> &visited, bool direct);
  std::vector<TOWSinkPin *> LinkedSinkPins();

  TOWSinkPinEntryList entries_;
  TOWFunctionSinkPinList functionDependencies_{this};
  TOWDataTypeSinkPinList dataTypeDependencies_{this};
  bool relinking_ = false;
};

// An input pin: at most one source; the link carries the upstream type.
class TOWSinkPin : public TOWStreamPin {
  CLASSLIB_SIMPLE_CLASS(TOWSinkPin, TOWStreamPin)
public:
  explicit TOWSinkPin(TComponent *owner);
  ~TOWSinkPin() override;

  void DefineProperties(TFiler *filer) override;
  void Assign(TPersistent *source) override;
  HRESULT RequestInterface(const TGUID &iid, void **out) override;

  TOWPinType GetPinType() const override { return ptSink; }
  // Takes the global read lock before the design-mode comparison, which
  // reads the other pin's owner, and holds it over the dependency walk
  // through other pins. The source's check holds it too: its own lock
  // section takes it first.
  bool CanConnectTo(TOWBasicPin *pin) override;
  bool CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) override;
  bool ConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) override;
  // Call with the global write lock held (the source's Disconnect holds it).
  void IntDisconnect(TOWBasicPin *pin, bool keep) override;
  void Disconnect() override;
  bool IsCompatible(TOWBasicPin *pin) override;
  bool IsConnected() override;
  bool IsConnectedTo(TOWBasicPin *pin) override;
  TGUID GetConnectionID(TOWBasicPin *pin) override;
  TGUID GetPrimaryConnectionID() override;
  TOWBasicPin *GetConnectedAfterPin(TOWBasicPin *pin) override;
  int GetConnectedPinCount() override;
  TOWBasicPin *GetConnectedPin(int index) override;
  bool DependsOn(TOWBasicPin *pin) override;
  bool DirectDependsOn(TOWBasicPin *pin) override;
  TOWNotifyResult Notify(IOWNotifyOperation *operation) override;
  void ReadConnectionsData(TReader *reader) override;
  void PinDeletedNotify(TOWBasicPin *pin) override;
  bool CanConnectToState(TOWStateDispatcher *group) override;
  bool ConnectToStateAfter(TOWStateDispatcher *group, TOWBasicPin *afterPin) override;
  void UpdateStateValue() override;
  void BackPopulateStreamChains(TOWObjectListList &chains, TOWObjectList *chain) override;
  void DownStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin) override;
  void UpStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin) override;
  HRESULT DownStreamQueryPossybleInterface(const TGUID &iid) override;
  HRESULT UpStreamQueryPossybleInterface(const TGUID &iid) override;

  virtual bool CheckUpStreamInterfaces(TOWBasicPin *source);
  // Any thread; own lock. The answer may be stale once the lock is given
  // back unless the caller holds the global read lock.
  virtual TOWBasicPin *GetSourcePin();
  // kept: public member of the sink pin
  void SetSourcePin(TOWBasicPin *pin) { Connect(pin); }
  virtual void WriteConnectionsData(TWriter *writer);
  virtual bool DoWrite();

  TGUID UpStreamFindConnectionID(TOWBasicPin *source, const TGUID &preferred);
  bool HasToIgnoreUpstream();
  TGUID GetUpStreamID();
  TGUID GetDownStreamID();
  // kept: public member of the sink pin
  std::string GetUpStreamLinkName();
  // kept: public member of the sink pin
  std::string GetDownStreamLinkName();
  bool IsConnectedToPinName(const std::string &name);
  bool TryLinkTo(TComponent *component, const std::string &name, const std::string &display,
                 bool flag);
  std::string GetLinkStr();

  // The source's dependency lists' half, under the sink's own lock: called
  // by those lists while they hold the source's.
  void IntAddFunctionDependance(TOWSourcePin *source);
  void IntRemoveFunctionDependance(TOWSourcePin *source);
  void IntAddDataTypeDependance(TOWSourcePin *source);
  void IntRemoveDataTypeDependance(TOWSourcePin *source);
  // Own lock; called by the link steps (global write lock held).
  void PopulateStreamLocks();
  // Any thread; own lock. Lock and unlock the list in the framework's order
  // with the global read lock held, as a delivery does.
  IOWObjectListPtr GetStreamLocks();
  static void LockStreamLocks(IOWObjectList *list);
  static void UnlockStreamLocks(IOWObjectList *list);

  void ChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType);
  void DownStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  void UpStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  void DownStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  void UpStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin);
  HRESULT DownStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  HRESULT UpStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  HRESULT DownStreamForthQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  HRESULT UpStreamForthQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin);
  void BackChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType);
  void ForthChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType);

  // Set right after creation by a component that never sends upstream
  // (before any link, so no lock guards it).
  bool IgnoreUpstream = false;

  const std::vector<TOWSourcePin *> &GetFunctionBackList() const { return functionBack_; }
  const std::vector<TOWSourcePin *> &GetDataTypeBackList() const { return dataTypeBack_; }

private:
  friend class TOWSourcePin;
  friend class TOWUnloadedPin;
  // The real source, or null for a placeholder or no source.
  TOWSourcePin *RealSource() const;
  void BreakLink(bool removeSourceEarly);

  TOWBasicPin *source_ = nullptr;
  TOWSubmit handler_;
  TGUID upstreamType_ = OWNULLID;
  std::vector<TOWSourcePin *> functionBack_;
  std::vector<TOWSourcePin *> dataTypeBack_;
  IOWObjectListPtr streamLocks_;
};

// A pin that joins a named group of state pins instead of a link.
class TOWStatePin : public TOWPin {
  CLASSLIB_SIMPLE_CLASS(TOWStatePin, TOWPin)
public:
  using TOWPin::TOWPin;
  TOWPinType GetPinType() const override { return ptState; }
  bool CanConnectTo(TOWBasicPin *pin) override;
  bool IsCompatible(TOWBasicPin *pin) override;
  TGUID GetConnectionID(TOWBasicPin *pin) override;
  bool DependsOn(TOWBasicPin *pin) override { return IsConnectedTo(pin); }
  bool DirectDependsOn(TOWBasicPin *pin) override { return IsConnectedTo(pin); }
  void UpdateStateValue() override;

  virtual int GetPinCount();
  virtual TOWBasicPin *GetPin(int index);
  bool IsLinkedTo(const std::string &name);
  // kept: public member of the state pin
  std::string GetLinkStr(TOWBasicPin *pin);
  bool TryLinkTo(TComponent *root, const std::string &name);
};

// A placeholder for a pin that is not loaded yet; it records the links made
// to the missing pin until the real pin takes them over.
class TOWUnloadedPin : public TOWBasicPin {
  CLASSLIB_SIMPLE_CLASS(TOWUnloadedPin, TOWBasicPin)
public:
  TOWUnloadedPin(TComponent *root, TOWPinType kind, const std::string &ident,
                 const std::string &display, const std::string &linkingPinName);
  ~TOWUnloadedPin() override;

  TOWPinType GetPinType() const override { return kind_; }
  TComponent *GetRoot() const override { return nullptr; }
  std::string GetName() override;
  std::string GetFullName(bool withRoot) override;
  std::string GetFullIdentName(bool withRoot) override;
  bool OwnerInDesigning() override { return true; }
  bool CanConnectTo(TOWBasicPin *) override { return true; }
  bool DependsOn(TOWBasicPin *) override { return false; }
  TGUID FindConnectionID(TOWBasicPin *) override { return OWNULLID; }
  TOWNotifyResult NotifyDispatcher(IOWNotifyOperation *, TOWNotifyState, TOWBasicPin *) override {
    return {};
  }
  bool IsConnected() override;
  bool IsConnectedTo(TOWBasicPin *pin) override;
  bool ConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) override;
  void IntConnect(TOWBasicPin *pin, TOWBasicPin *afterPin) override;
  void IntDisconnect(TOWBasicPin *pin, bool keep) override;
  void Disconnect() override;
  void PinDeletedNotify(TOWBasicPin *pin) override;
  void PinReplacedNotify(TOWBasicPin *old, TOWBasicPin *replacement) override;
  void CheckRemove() override;

  // The pin named ident, else the pin named display, else a new placeholder;
  // null for an empty ident. While a form loads; the unit's critical section
  // guards the pending list.
  static TOWBasicPin *FindOrCreate(TComponent *root, TOWPinType kind, const std::string &ident,
                                   const std::string &display, const std::string &linkingPinName);
  // Hands the placeholder's links to the real pin and frees the placeholder;
  // takes the global write lock.
  static void TakeOver(TOWUnloadedPin *placeholder, TOWBasicPin *realPin);

  void AfterConstruction() override;
  void BeforeDestruction() override;
  bool HeldByList = false;

private:
  void Forget(TOWBasicPin *pin);

  std::string display_;
  std::string ident_;
  TOWPinType kind_;
  TOWSinkPinEntryList links_;
  bool removalGuard_ = false;
};

// ---------------------------------------------------------------------------
// State groups

struct TOWDispatcherPinStorage {
  TOWBasicPin *Pin = nullptr;
  TOWBasicPin *AfterPin = nullptr;
};

class TOWDispatcherPinStorageList : public TObjectList<TOWDispatcherPinStorage> {
public:
  TOWDispatcherPinStorageList() : TObjectList<TOWDispatcherPinStorage>(true) {}
  TOWDispatcherPinStorage *GetItem(int index) const { return Items(index); }
};

// A named group of pins; every value one member sends reaches every member.
// Membership changes run inside the members' link steps (global write lock
// held); the group lists are guarded by the unit's critical section.
class TOWStateDispatcher : public TOWPinObject {
  CLASSLIB_SIMPLE_CLASS(TOWStateDispatcher, TOWPinObject)
public:
  TOWStateDispatcher(const std::string &name, bool designing);
  explicit TOWStateDispatcher(TComponent *component);
  ~TOWStateDispatcher() override;
  void BeforeDestruction() override;

  void PinDeletedNotify(TOWBasicPin *pin) override;
  void SetNotifyAfterByName(TOWPin *pin, const std::string &name) override;
  std::string GetAfterPinDisplayName(TOWPin *pin) override;

  virtual int GetPinCount();
  virtual TOWBasicPin *GetPin(int index);
  virtual TOWBasicPin *GetAfterPin(int index);
  void AddPin(TOWBasicPin *pin) { AddPinAfter(pin, nullptr); }
  virtual void AddPinAfter(TOWBasicPin *pin, TOWBasicPin *afterPin);
  // May free the group (when its last member leaves); nothing touches it then.
  virtual void RemovePin(TOWBasicPin *pin);

  bool ContainsPin(TOWBasicPin *pin);
  TOWBasicPin *GetConnectedAfterPin(TOWBasicPin *pin);
  void NewConnection(TOWBasicPin *newPin);
  void DisconnectAll();
  bool CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin);
  bool IsCrosForm();
  void ResetFormsSave();
  void AddFormSaved(TComponent *component);
  bool IsFormSaved(TComponent *component);
  int GetSavedCount() const { return savedCount_; }
  // kept: public member of the state dispatcher
  bool ConnectedToForm(TComponent *component);
  const std::string &GetName() const { return name_; }
  bool IsDesigning() const { return designing_; }

  static TOWStateDispatcher *GetByName(const std::string &name, bool designing);
  static TOWStateDispatcher *GetByNameCreate(TOWBasicPin *pin, const std::string &name,
                                             bool designing);
  static std::string GetUniqueName(TComponent *component);
  static bool IsUniqueName(const std::string &name, bool designing);

private:
  int IndexOfPin(const TOWBasicPin *pin) const;

  std::string name_;
  bool designing_;
  TOWDispatcherPinStorageList members_;
  std::vector<TComponent *> savedForms_;
  int32_t savedCount_ = 0;
};

int OWGetDispatcherCount();
TOWStateDispatcher *OWGetDispatcher(int index);

// ---------------------------------------------------------------------------
// Free functions of the unit

// The root component of c: c itself when it is null, has no owner, is owned by
// the application, or is a form or data module; else its owner's root.
TComponent *OWGetMainOwnerComponent(TComponent *c);
// The state-group list for designing owners, or the other one.
std::vector<TOWStateDispatcher *> &Dispatchers(bool designing);

// The free functions below: any thread; the unit's critical section guards
// the lists they read (after the global lock where they take it).

// True when no placeholder waits for its real pin.
bool OWGetAllLinked();
// Frees every pending placeholder (the real pins drop their links to them).
void OWClearPendingLinks();
// Shows "AwaitsLinkingPins =" with the number of pending placeholders, then one
// line per placeholder, through the class library's message function.
std::string OWAwaitsLinkingText();
void OWReportAwaitsLinking();

// The list of all pins and the pending placeholders (for inspection).
int OWGetPinCount();
TOWBasicPin *OWGetPin(int index);
int OWGetPendingCount();
TOWUnloadedPin *OWGetPending(int index);

// Raises a notifier event on every registered notifier; exceptions dropped.
void OWRaisePinNotifiers(const std::function<void(IOWPinNotifier *)> &event);

// The name of a pin by the published property that holds it: owner name, ".",
// property name (for a pin of a pin list: the list's property, then "._Pin"
// and the index when indexed, else "." and the list's item name); with root,
// the root name and "." in front; "(No owner)" without owner component. The
// separator is not used: "." always is.
std::string OWValueToString(TOWBasicPin *pin, const std::string &separator, bool withRoot,
                            bool indexed);
