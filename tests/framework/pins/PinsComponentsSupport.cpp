// The components of the pin framework tests.
#include "tests/framework/pins/PinsTestComponents.h"

const TClassInfo &TTestSourceComponent::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TTestSourceComponent>(
      "TTestSourceComponent", &TComponent::StaticClassInfo(),
      [](TClassBuilder<TTestSourceComponent> &c) {
        c.Object("OutputPin", &TTestSourceComponent::GetOutputPin);
      });
  return info;
}

TTestSourceComponent::TTestSourceComponent(TComponent *owner)
    : TComponent(owner), OutputPin(CreateObject<TTestSourcePin>(this)) {
  AddRecordingTypes(OutputPin, {IID_TestA});
}

TTestSourceComponent::~TTestSourceComponent() { FreeObject(OutputPin); }

const TClassInfo &TTestSinkComponent::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTestSinkComponent>("TTestSinkComponent", &TComponent::StaticClassInfo(),
                                        [](TClassBuilder<TTestSinkComponent> &c) {
                                          c.Object("InputPin", &TTestSinkComponent::GetInputPin);
                                        });
  return info;
}

TTestSinkComponent::TTestSinkComponent(TComponent *owner)
    : TComponent(owner), InputPin(CreateObject<TTestSinkPin>(this)) {}

TTestSinkComponent::~TTestSinkComponent() { FreeObject(InputPin); }

const TClassInfo &TTestStateComponent::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTestStateComponent>("TTestStateComponent", &TComponent::StaticClassInfo(),
                                         [](TClassBuilder<TTestStateComponent> &c) {
                                           c.Object("StatePin", &TTestStateComponent::GetStatePin);
                                         });
  return info;
}

TTestStateComponent::TTestStateComponent(TComponent *owner)
    : TComponent(owner), StatePin(CreateObject<TTestStatePin>(this)) {
  AddRecordingTypes(StatePin, {IID_TestA});
}

TTestStateComponent::~TTestStateComponent() { FreeObject(StatePin); }

const TClassInfo &TTestListComponent::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTestListComponent>("TTestListComponent", &TComponent::StaticClassInfo(),
                                        [](TClassBuilder<TTestListComponent> &c) {
                                          c.Object("InputPins", &TTestListComponent::GetInputPins);
                                        });
  return info;
}

TTestListComponent::TTestListComponent(TComponent *owner)
    : TComponent(owner), InputPins(CreateObject<TOWPinList>(this, true)) {}

TTestListComponent::~TTestListComponent() { FreeObject(InputPins); }

TTestApplication::TTestApplication() : Application(CreateObject<TComponent>(nullptr)) {
  Application->SetIsApplication(true);
}

TTestApplication::~TTestApplication() { FreeObject(Application); }

TTestForm *TTestApplication::AddForm(const std::string &name) {
  auto *form = CreateObject<TTestForm>(Application);
  form->SetName(name);
  return form;
}

void RegisterTestClasses() {
  static const bool once = [] {
    RegisterClass(TTestForm::StaticClassInfo());
    RegisterClass(TTestSourceComponent::StaticClassInfo());
    RegisterClass(TTestSinkComponent::StaticClassInfo());
    RegisterClass(TTestStateComponent::StaticClassInfo());
    RegisterClass(TTestListComponent::StaticClassInfo());
    return true;
  }();
  (void)once;
}

void AddRecordingTypes(TOWPin *pin, std::initializer_list<TGUID> types) {
  for (const TGUID &t : types)
    pin->AddType(t, RecordingHandler());
}
