// Components and pins defined by the pin framework tests: two test stream
// types (A and B), sink and state pins that accept a configurable set of them,
// a source and a sink component with published pins, and a form with an
// application above it so that pins have a root.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "framework/pins/OWPins.h"
#include "platform/classlib/ClassBuilder.h"

inline constexpr TGUID IID_TestA = TGUID::FromLiteral("{6A1F0C52-33E1-4D0B-9E0A-1B2C3D4E5F60}");
inline constexpr TGUID IID_TestB = TGUID::FromLiteral("{6A1F0C52-33E1-4D0B-9E0A-1B2C3D4E5F61}");

struct IOWTestAStream : public virtual com::IUnknown {
  static constexpr TGUID IID = IID_TestA;
};
struct IOWTestBStream : public virtual com::IUnknown {
  static constexpr TGUID IID = IID_TestB;
};

// One delivery seen by a recording pin.
struct TDelivery {
  std::string Receiver;
  TGUID Type;
  TOWNotifyState State;
  int64_t OperationID;
};

// The deliveries of a test, in order.
inline std::vector<TDelivery> &DeliveryLog() {
  static std::vector<TDelivery> log;
  return log;
}

// Implements the interfaces of the types in Accepts. Deliveries reach it
// through RecordingHandler.
template <class Base> class TTestPin : public Base, public IOWTestAStream, public IOWTestBStream {
public:
  explicit TTestPin(TComponent *owner, std::set<TGUID> accepts = {IID_TestA})
      : Base(owner), Accepts(accepts) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    if (out && Accepts.count(iid)) {
      *out = iid == IID_TestA ? static_cast<void *>(static_cast<IOWTestAStream *>(this))
                              : static_cast<void *>(static_cast<IOWTestBStream *>(this));
      return S_OK;
    }
    return Base::QueryInterface(iid, out);
  }
  std::set<TGUID> Accepts;
  // What the pin answers to a delivery.
  TOWNotifyResult Answer;
  std::string Label;
  // Deliveries counted by CountingHandler; guarded by the pin's lock group.
  int64_t Delivered = 0;
};

using TTestSinkPin = TTestPin<TOWSinkPin>;
using TTestStatePin = TTestPin<TOWStatePin>;
using TTestSourcePin = TTestPin<TOWSourcePin>;

// A handler that records the delivery and returns the receiver's answer.
inline TOWSubmit RecordingHandler() {
  return [](IOWStream *handler, const TGUID *type, IOWNotifyOperation *op, TOWNotifyState state) {
    auto *pin = dynamic_cast<TOWBasicPin *>(handler);
    std::string label;
    TOWNotifyResult answer;
    if (auto *s = dynamic_cast<TTestSinkPin *>(pin)) {
      label = s->Label;
      answer = s->Answer;
    } else if (auto *t = dynamic_cast<TTestStatePin *>(pin)) {
      label = t->Label;
      answer = t->Answer;
    } else if (auto *u = dynamic_cast<TTestSourcePin *>(pin)) {
      label = u->Label;
      answer = u->Answer;
    }
    if (label.empty() && pin)
      label = pin->GetFullName(false);
    DeliveryLog().push_back({label, *type, state, op ? op->Instance()->GetOperationID() : 0});
    return answer;
  };
}

// A handler that counts deliveries on the receiving test pin; safe from
// several threads since deliveries hold the receiver's lock.
inline TOWSubmit CountingHandler() {
  return [](IOWStream *handler, const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
    if (auto *s = dynamic_cast<TTestSinkPin *>(handler))
      ++s->Delivered;
    else if (auto *u = dynamic_cast<TTestSourcePin *>(handler))
      ++u->Delivered;
    return TOWNotifyResult{};
  };
}

// A component with one published output pin.
class TTestSourceComponent : public TComponent {
  CLASSLIB_CLASS(TTestSourceComponent)
public:
  explicit TTestSourceComponent(TComponent *owner);
  ~TTestSourceComponent() override;
  TTestSourcePin *GetOutputPin() const { return OutputPin; }
  TTestSourcePin *OutputPin;
};

// A component with one published input pin.
class TTestSinkComponent : public TComponent {
  CLASSLIB_CLASS(TTestSinkComponent)
public:
  explicit TTestSinkComponent(TComponent *owner);
  ~TTestSinkComponent() override;
  TTestSinkPin *GetInputPin() const { return InputPin; }
  TTestSinkPin *InputPin;
};

// A component with a published state pin.
class TTestStateComponent : public TComponent {
  CLASSLIB_CLASS(TTestStateComponent)
public:
  explicit TTestStateComponent(TComponent *owner);
  ~TTestStateComponent() override;
  TTestStatePin *GetStatePin() const { return StatePin; }
  TTestStatePin *StatePin;
};

// A component with a published pin list of sinks.
class TTestListComponent : public TComponent {
  CLASSLIB_CLASS(TTestListComponent)
public:
  explicit TTestListComponent(TComponent *owner);
  ~TTestListComponent() override;
  TOWPinList *GetInputPins() const { return InputPins; }
  TOWPinList *InputPins;
};

class TTestForm : public TComponent {
  CLASSLIB_SIMPLE_CLASS(TTestForm, TComponent)
public:
  explicit TTestForm(TComponent *owner) : TComponent(owner) { SetIsForm(true); }
};

// The application object and one form named name under it.
struct TTestApplication {
  explicit TTestApplication();
  ~TTestApplication();
  TTestForm *AddForm(const std::string &name);
  TComponent *Application;
};

// Registers the test classes for form loading (once).
void RegisterTestClasses();

// A source pin whose types A then B deliver through RecordingHandler.
void AddRecordingTypes(TOWPin *pin, std::initializer_list<TGUID> types);

#include <gtest/gtest.h>

// A form "MainForm" under an application; components made on it are freed
// with it. The delivery log starts empty.
class TPinsFixture : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterTestClasses();
    DeliveryLog().clear();
    Form = App.AddForm("MainForm");
  }
  void TearDown() override {
    FreeObject(Form);
    DeliveryLog().clear();
  }
  TTestSourceComponent *Source(const std::string &name) {
    auto *c = CreateObject<TTestSourceComponent>(Form);
    c->SetName(name);
    c->OutputPin->Label = name;
    return c;
  }
  TTestSinkComponent *Sink(const std::string &name, std::set<TGUID> accepts = {IID_TestA}) {
    auto *c = CreateObject<TTestSinkComponent>(Form);
    c->SetName(name);
    c->InputPin->Accepts = std::move(accepts);
    c->InputPin->Label = name;
    return c;
  }
  TTestStateComponent *State(const std::string &name) {
    auto *c = CreateObject<TTestStateComponent>(Form);
    c->SetName(name);
    c->StatePin->Label = name;
    return c;
  }
  // The receivers of the logged deliveries, in order, and the log emptied.
  std::vector<std::string> TakeReceivers() {
    std::vector<std::string> r;
    for (auto &d : DeliveryLog())
      r.push_back(d.Receiver);
    DeliveryLog().clear();
    return r;
  }

  TTestApplication App;
  TTestForm *Form = nullptr;
};
