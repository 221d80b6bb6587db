// Small component classes exercising every property kind, a pin-like
// persistent object with custom properties, a collection and a form with
// published methods; registered once per test program.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/classlib/Classes.h"

namespace classlib_test {

// What happened, in order, across all test objects.
std::vector<std::string> &Log();

class TAudioFormat : public TPersistent {
  CLASSLIB_CLASS(TAudioFormat)
public:
  int Channels = 2;
  double Rate = 0;
};

// Stores its links like a source pin: "SinkPins" is a list whose items are an
// identifier or a list (identifier, display string).
class TTestPin : public TPersistent {
  CLASSLIB_CLASS(TTestPin)
public:
  std::string State;
  std::vector<std::pair<std::string, std::string>> Sinks; // (ident, display); display "" = same
  void DefineProperties(TFiler *filer) override;
};

class TTestItem : public TCollectionItem {
  CLASSLIB_CLASS(TTestItem)
public:
  explicit TTestItem(TCollection *c) : TCollectionItem(c) {}
  std::string Name;
  int Value = 0;
};

// Records its notifications in Log() as "added Name", "extracting Name", "deleting Name".
class TTestItems : public TCollection {
public:
  TTestItems() : TCollection(&TTestItem::StaticClassInfo()) {}

protected:
  void Notify(TCollectionItem *item, TCollectionNotification action) override;
};

enum TTestMode { tmOff, tmOn, tmAuto };

class TTestComponent : public TComponent {
  CLASSLIB_CLASS(TTestComponent)
public:
  explicit TTestComponent(TComponent *owner) : TComponent(owner) {}
  void Loaded() override;

  int Interval = 100;
  void SetInterval(int v);
  int GetInterval() const { return Interval; }
  bool Enabled = true;
  TTestMode Mode = tmOff;
  uint32_t Options = 0;
  double Gain = 0;
  std::string Caption;
  TAudioFormat *GetAudioFormat() { return &format_; }
  TTestPin *GetOutputPin() { return &pin_; }
  TTestItems *GetItems() { return &items_; }
  TEvent<void(TObject *)> OnStart;
  TEvent<int(int)> OnScale;

private:
  TAudioFormat format_;
  TTestPin pin_;
  TTestItems items_;
};

class TTestForm : public TComponent {
  CLASSLIB_CLASS(TTestForm)
public:
  explicit TTestForm(TComponent *owner) : TComponent(owner) { SetIsForm(true); }
  void Loaded() override;
  void AudioInStart(TObject *sender);
  int Double(int v) { return 2 * v; }
  std::vector<TObject *> Started;
};

void RegisterTestClasses();

} // namespace classlib_test
