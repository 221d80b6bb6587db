// The single-instance lock component. Dropped on the main window, it tests
// for a running copy while the window's form loads: the first copy takes
// the lock, a later copy is told to end and, when it is destroyed, brings
// the first copy's window to the front. The test and the taking are one
// atomic step, so two copies started together cannot both win.
//
// The lock is named after the program file's name (copies under other
// names do not see each other). Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/classlib/Component.h"
#include "platform/classlib/Exceptions.h"
#include "platform/gui/InstanceLock.h"
#include "platform/gui/NotifyEvent.h"

class EOneInstance : public Exception {
public:
  using Exception::Exception;
};

class TOneInstance : public TComponent {
  CLASSLIB_CLASS(TOneInstance)

public:
  // Raises Exception "OneInstance component duplicated in <owner>" when the
  // owner already has one.
  explicit TOneInstance(TComponent *owner);
  ~TOneInstance() override;
  void Loaded() override;

  bool Terminate() const { return FTerminate; }
  void SetTerminate(bool value) { FTerminate = value; }
  bool InformUser() const { return FInformUser; }
  void SetInformUser(bool value) { FInformUser = value; }
  bool RaisePriorInstance() const { return FRaisePriorInstance; }
  void SetRaisePriorInstance(bool value) { FRaisePriorInstance = value; }
  TNotifyEvent ApplicationExists;

  // True when another copy holds the lock. Takes the lock when it is free.
  bool HasPriorInstance();
  void InitializeLock();
  void FinalizeLock();
  void DoRaisePriorInstance();
  // Whether this copy holds the lock (decided while the form loaded).
  bool LockOwner() const { return FLockOwner; }

  // Where the lock lives: the user's runtime folder unless set (tests).
  static void SetLockFolder(const std::string &folder);
  // The lock's name: the program file's name part.
  static std::string MutexName();
  // What the first copy does when a later one asks it to come to the front:
  // restores, raises and activates the application's windows unless set.
  static void SetRaiseHandler(std::function<void()> handler);

private:
  void RaiseException(const std::string &text);
  void HandleException(const std::string &text, const std::exception &e);
  gui::TInstanceLock &Lock();

  bool FTerminate = true;
  bool FLockOwner = false;
  bool FInformUser = false;
  bool FRaisePriorInstance = false;
  std::unique_ptr<gui::TInstanceLock> FMutex;
  std::string FPriorTitle;
};

void RegisterOneInstanceClasses();
