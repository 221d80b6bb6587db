#include "tests/platform/classlib/TestClasses.h"

namespace classlib_test {

std::vector<std::string> &Log() {
  static std::vector<std::string> log;
  return log;
}

const TClassInfo &TAudioFormat::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TAudioFormat>("TAudioFormat", &TPersistent::StaticClassInfo(), [](auto &c) {
        c.Integer("Channels", &TAudioFormat::Channels, &TAudioFormat::Channels, 2);
        c.Float("Rate", &TAudioFormat::Rate, &TAudioFormat::Rate);
      });
  return info;
}

const TClassInfo &TTestPin::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTestPin>("TTestPin", &TPersistent::StaticClassInfo());
  return info;
}

void TTestPin::DefineProperties(TFiler *filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineProperty(
      "State", [this](TReader *r) { State = r->ReadString(); },
      [this](TWriter *w) { w->WriteString(State); }, !State.empty());
  filer->DefineProperty(
      "SinkPins",
      [this](TReader *r) {
        Sinks.clear();
        r->ReadListBegin();
        while (!r->EndOfList()) {
          if (r->NextValue() == vaList) {
            r->ReadListBegin();
            std::string ident = r->ReadIdent();
            std::string display = r->ReadString();
            r->ReadListEnd();
            Sinks.emplace_back(ident, display);
          } else {
            Sinks.emplace_back(r->ReadIdent(), "");
          }
        }
        r->ReadListEnd();
      },
      [this](TWriter *w) {
        w->WriteListBegin();
        for (auto &[ident, display] : Sinks) {
          if (display.empty()) {
            w->WriteIdent(ident);
            continue;
          }
          w->WriteListBegin();
          w->WriteIdent(ident);
          w->WriteString(display);
          w->WriteListEnd();
        }
        w->WriteListEnd();
      },
      !Sinks.empty());
  // Reads less than its value: the loader must notice.
  filer->DefineProperty(
      "Half",
      [](TReader *r) {
        r->ReadListBegin();
        r->ReadIdent();
      },
      nullptr, false);
}

const TClassInfo &TTestItem::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTestItem>("TTestItem", &TCollectionItem::StaticClassInfo(), [](auto &c) {
        c.String("Name", &TTestItem::Name, &TTestItem::Name);
        c.Integer("Value", &TTestItem::Value, &TTestItem::Value, 0);
      });
  return info;
}

void TTestItems::Notify(TCollectionItem *item, TCollectionNotification action) {
  TCollection::Notify(item, action);
  static const char *kNames[] = {"added", "extracting", "deleting"};
  auto *t = dynamic_cast<TTestItem *>(item);
  Log().push_back(std::string(kNames[action]) + " " + (t ? t->Name : std::string("?")) + " at " +
                  std::to_string(item->Index()));
}

const TClassInfo &TTestComponent::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTestComponent>("TTestComponent", &TComponent::StaticClassInfo(), [](auto &c) {
        using T = TTestComponent;
        c.Integer("Interval", &T::GetInterval, &T::SetInterval, 100);
        c.Boolean("Enabled", &T::Enabled, &T::Enabled, true);
        c.Enumeration("Mode", &T::Mode, &T::Mode, {"tmOff", "tmOn", "tmAuto"}, tmOff);
        c.Set("Options", &T::Options, &T::Options, {"soA", "soB", "soC"});
        c.Float("Gain", &T::Gain, &T::Gain);
        c.String("Caption", &T::Caption, &T::Caption);
        c.Object("AudioFormat", &T::GetAudioFormat);
        c.Object("OutputPin", &T::GetOutputPin);
        c.Object("Items", &T::GetItems);
        c.Event("OnStart", &T::OnStart);
        c.Event("OnScale", &T::OnScale);
        c.String(
            "Refuse", [](T &) { return std::string(); },
            [](T &, const std::string &) { throw Exception("refused"); });
      });
  return info;
}

void TTestComponent::SetInterval(int v) {
  // Records the state the loader promises: named, owned and loading before any property.
  Log().push_back("Interval of " + Name() + (InState(csLoading) ? " (loading)" : "") + " owner " +
                  (Owner() ? Owner()->Name() : std::string("nil")));
  Interval = v;
}

void TTestComponent::Loaded() {
  TComponent::Loaded();
  Log().push_back("Loaded " + Name());
}

const TClassInfo &TTestForm::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTestForm>("TTestForm", &TComponent::StaticClassInfo(), [](auto &c) {
        c.template Method<void(TObject *)>("AudioInStart", &TTestForm::AudioInStart);
        c.template Method<int(int)>("Double", &TTestForm::Double);
      });
  return info;
}

void TTestForm::Loaded() {
  TComponent::Loaded();
  Log().push_back("Loaded " + Name());
}

void TTestForm::AudioInStart(TObject *sender) { Started.push_back(sender); }

void RegisterTestClasses() {
  RegisterClass(TTestComponent::StaticClassInfo());
  RegisterClass(TTestForm::StaticClassInfo());
}

} // namespace classlib_test
