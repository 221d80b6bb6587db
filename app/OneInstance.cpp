#include "app/OneInstance.h"

#include <QApplication>
#include <QWidget>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"

namespace {

std::string &LockFolder() {
  static std::string folder;
  return folder;
}

std::function<void()> &RaiseHandler() {
  static std::function<void()> handler;
  return handler;
}

// Brings the application's windows to the front: the main windows first,
// then the modal dialog on top of them (the last active pop-up).
void RaiseApplicationWindows() {
  for (QWidget *w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() && !w->isMinimized())
      continue;
    if (w->isMinimized())
      w->showNormal();
    w->raise();
  }
  QWidget *top = QApplication::activeModalWidget();
  if (!top)
    top = QApplication::activeWindow();
  if (top) {
    if (top->isMinimized())
      top->showNormal();
    top->raise();
    top->activateWindow();
  }
}

} // namespace

const TClassInfo &TOneInstance::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TOneInstance>(
      "TOneInstance", &TComponent::StaticClassInfo(), [](TClassBuilder<TOneInstance> &c) {
        c.Boolean("Terminate", &TOneInstance::Terminate, &TOneInstance::SetTerminate, true);
        c.Boolean("InformUser", &TOneInstance::InformUser, &TOneInstance::SetInformUser, false);
        c.Boolean("RaisePriorInstance", &TOneInstance::RaisePriorInstance,
                  &TOneInstance::SetRaisePriorInstance, false);
        c.Event("ApplicationExists", &TOneInstance::ApplicationExists);
      });
  return info;
}

TOneInstance::TOneInstance(TComponent *owner) : TComponent(owner) {
  if (owner)
    for (int i = 0; i < owner->ComponentCount(); ++i) {
      TComponent *c = owner->Components(i);
      if (c != this && c->InheritsFrom(TOneInstance::StaticClassInfo()))
        throw Exception("OneInstance component duplicated in " + owner->Name());
    }
  FTerminate = true;
}

TOneInstance::~TOneInstance() {
  if (FLockOwner)
    FinalizeLock();
  else
    DoRaisePriorInstance();
}

void TOneInstance::SetLockFolder(const std::string &folder) { LockFolder() = folder; }

void TOneInstance::SetRaiseHandler(std::function<void()> handler) {
  RaiseHandler() = std::move(handler);
}

std::string TOneInstance::MutexName() {
  std::string exe = gui::Application().ExeName();
  size_t slash = exe.find_last_of('/');
  return slash == std::string::npos ? exe : exe.substr(slash + 1);
}

gui::TInstanceLock &TOneInstance::Lock() {
  if (!FMutex) {
    FMutex = std::make_unique<gui::TInstanceLock>(MutexName(), LockFolder());
    FMutex->OnRaiseRequest = [] {
      if (RaiseHandler())
        RaiseHandler()();
      else
        RaiseApplicationWindows();
    };
  }
  return *FMutex;
}

void TOneInstance::Loaded() {
  TComponent::Loaded();
  if (InState(csDesigning))
    return;
  FPriorTitle = gui::Application().Title();
  if (HasPriorInstance()) {
    FLockOwner = false;
    if (ApplicationExists)
      ApplicationExists(this);
    if (FTerminate) {
      if (FInformUser)
        RaiseException("Another instance of this application appears to be running. You must \r\n"
                       "close any previous instances before continuing. ");
      gui::Application().Terminate();
    } else if (FInformUser) {
      MessageDlg("Another instance of this application appears to be running!", mtWarning,
                 MsgDlgButtons({mbOK}));
    }
  } else {
    InitializeLock();
    FLockOwner = true;
  }
}

bool TOneInstance::HasPriorInstance() {
  try {
    // Testing and taking the lock is one step: a free lock is ours at once.
    return !Lock().TryAcquire();
  } catch (const std::exception &e) {
    HandleException("Unable to verify that Mutex already exists!", e);
    return true;
  }
}

void TOneInstance::InitializeLock() {
  try {
    if (!Lock().TryAcquire())
      throw EOneInstance("the lock is held by another copy");
  } catch (const std::exception &e) {
    HandleException("Unable to create Mutex!", e);
  }
}

void TOneInstance::FinalizeLock() {
  try {
    if (FMutex)
      FMutex->Release();
  } catch (const std::exception &e) {
    HandleException("Unable to close Mutex!", e);
  }
}

void TOneInstance::DoRaisePriorInstance() {
  if (!FRaisePriorInstance || FPriorTitle.empty())
    return;
  gui::Application().SetTitle("");
  Lock().RaisePrior();
}

void TOneInstance::HandleException(const std::string &text, const std::exception &e) {
  RaiseException(text + " An Exception was raised " + "with the message : " + e.what());
}

void TOneInstance::RaiseException(const std::string &text) {
  try {
    throw EOneInstance(text);
  } catch (const EOneInstance &e) {
    gui::Application().ShowException(e);
  }
}

void RegisterOneInstanceClasses() { RegisterClass(TOneInstance::StaticClassInfo()); }
