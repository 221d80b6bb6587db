// The filter-graph owner: the persistent sub-object (published as `Graph`)
// through which an audio component owns one filter graph, receives its events
// on the main thread and reports failed steps.
//
// Threads and locks:
// - Construct, destroy and call everything but Error on the main thread (the
//   thread that owns the event window). The three interface references are
//   public state the owning component stores into and clears there.
// - Graph events arrive as message 1025 on the event window: the event loop
//   runs on the main thread inside a write lock section on the owner's lock
//   object (global lock for reading, then the object's group lock), and calls
//   the graph-event callback and OnAborted / OnStarvation / OnDeviceLost from
//   there; those handlers may stop and tear the graph down.
// - Error takes no lock. On the main thread it calls OnError or raises
//   EDSException at once. On any other thread (a delivery or clock thread)
//   it hands the report over to the main thread, where OnError runs or the
//   exception reaches the message loop, and returns normally: a worker thread
//   is never ended by a raised report. Callers check their own results, and
//   end their worker threads before the graph owner is destroyed (a report
//   still queued then is dropped with the event window).
// - The setters of OnError, OnWarning and OnGraphBuilt take the owner's write
//   lock section; the other events and SetMsgEvent are plain writes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "directshow/DSErrors.h"
#include "framework/pins/OWExtCollection.h"
#include "framework/pins/OWPins_object.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/Lists.h"
#include "platform/mainloop/HiddenWindow.h"
#include "platform/media/Interfaces.h"

class TDSGraph;

// One additional filter, named by its numbered friendly name among all
// registered filters; persisted only through "Data" (display name, name).
class TDSFilterItem : public TOWExtCollectionItem {
  CLASSLIB_CLASS(TDSFilterItem)

public:
  explicit TDSFilterItem(TCollection *collection);

  const std::string &GetFilterName() const { return filterName_; }
  // Only when the name differs (case-sensitive): empty clears both names;
  // otherwise the name is looked up among all registered filters and taken
  // only when found (the display name is stored either way, empty when not).
  void SetName(const std::string &name);
  const std::string &GetVC_DriverName() const { return displayName_; }

  // Null for "None" (any case) or when no registered filter has the stored
  // display name.
  com::TComPtr<media::IMoniker> GetMoniker() const;

  // "Filter " and the index plus 1.
  std::string GetDisplayName() const override;
  void Assign(TPersistent *source) override;
  void DefineProperties(TFiler *filer) override;

private:
  std::string filterName_ = "None";
  std::string displayName_;
};

class TDSFilterItems : public TOWExtCollection {
  CLASSLIB_CLASS(TDSFilterItems)

public:
  explicit TDSFilterItems(TPersistent *owner);
  TDSFilterItem *Add() { return static_cast<TDSFilterItem *>(TCollection::Add()); }
  TDSFilterItem *Items(int index) const {
    return static_cast<TDSFilterItem *>(TCollection::Items(index));
  }
};

class TDSGraph : public TPersistent {
  CLASSLIB_CLASS(TDSGraph)

public:
  // Called for every graph event on the main thread: (code, parameter 1,
  // parameter 2). Parameters are pointer-sized here (an event may carry an
  // interface).
  using TGraphEventCallback =
      std::function<void(media::LONG code, media::LONG_PTR p1, media::LONG_PTR p2)>;
  using TMsgEvent = std::function<void(const mainloop::TMessage &)>;

  // Main thread. lockObject is the owner's, not owned (may be null).
  TDSGraph(TComponent *owner, TGraphEventCallback graphEvent, TOWObject *lockObject);
  ~TDSGraph() override;

  // Creates the filter graph once; Error("Can't build DirectShow graph.") and
  // false on failure.
  bool CreateGraph();
  // Creates the capture graph builder once and attaches it to the graph.
  bool CreateGraphBuilder();
  // Obtains IMediaEventEx and points its notifications at the event window.
  bool SetMediaEvent();
  // Adds every additional filter; true when all succeeded.
  bool RegisterAdditionalFilters();
  void RegisterGraph();
  void UnregisterGraph();

  // Reports a failed step; see the file comment for threads.
  void Error(const std::string &text, int32_t code);
  // kept: offered to components, none raises it
  void Warning(const std::string &text, int32_t code);

  void DestroyDownstream(media::IBaseFilter *filter);
  // kept: offered to components, none calls it
  void DestroyUpstream(media::IBaseFilter *filter);
  com::TComPtr<media::IBaseFilter> GetFilterByClassID(const TGUID &clsid);
  bool GetFilterList(TStrings *list);
  bool SaveToFile(const std::string &fileName);
  void SetMsgEvent(TMsgEvent hook) { msgHook_ = std::move(hook); }
  TComponent *GetOwnerComponent() const { return owner_; }
  TPersistent *GetOwner() override { return owner_; }

  TDSFilterItems *GetAdditionalFilters() const { return additionalFilters_.get(); }
  void SetAdditionalFilters(TDSFilterItems *value);
  bool GetRegister() const { return register_; }
  void SetRegister(bool value);
  bool Registered() const { return registered_; }
  void SetOnError(TDSErrorEvent value);
  // kept: the graph's published OnWarning event
  void SetOnWarning(TDSWarningEvent value);
  // kept: the graph's published OnGraphBuilt event
  void SetOnGraphBuilt(TNotifyEvent value);
  // The hidden window of the main thread that receives the graph's events;
  // the device selections use it as their dialogs' owner.
  mainloop::THiddenWindow *EventWindow() const { return window_.get(); }

  // Interface references the owning component builds, reads and clears.
  com::TComPtr<media::IGraphBuilder> Graph;
  com::TComPtr<media::ICaptureGraphBuilder2> CaptureGraphBuilder;
  com::TComPtr<media::IMediaEventEx> MediaEvent;

  TDSErrorEvent OnError;
  TDSWarningEvent OnWarning;
  TNotifyEvent OnGraphBuilt;
  TNotifyEvent OnDeviceLost;
  TNotifyEvent OnAborted;
  TNotifyEvent OnStarvation;

private:
  void WindowProc(const mainloop::TMessage &message);
  void EventLoop();
  void ReportError(const std::string &text, int32_t code);
  void AddToROT();
  void RemoveFromROT();

  bool register_ = false;
  TComponent *const owner_;
  uint32_t cookie_ = 0;
  bool registered_ = false;
  std::unique_ptr<TDSFilterItems> additionalFilters_;
  TOWObject *const lockObject_;
  bool comInitialized_ = false;
  std::unique_ptr<mainloop::THiddenWindow> window_;
  mainloop::TWndProc previousProc_;
  TGraphEventCallback graphEvent_;
  TMsgEvent msgHook_;
};
