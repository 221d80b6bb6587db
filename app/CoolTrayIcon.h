// The tray icon component: an icon in the notification area that cycles
// through the pictures of an image list, shows a tip and balloon hints,
// turns mouse actions on the icon into component events, pops up a menu and
// can hide its owner window to the tray when it is minimised.
//
// The icons of the process share one hidden window (TTrayIconHandler) that
// receives the notification messages of all of them; the shell calls go
// through gui::TrayIconBackend(). Timers are window-less timers
// (Simpletimer.h). Main thread only.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "app/Simpletimer.h"
#include "platform/classlib/Component.h"
#include "platform/gui/Control.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/NotifyEvent.h"
#include "platform/gui/TrayIconBackend.h"

class QMenu;

// The notification message of the icons' window.
constexpr uint32_t WM_TRAYNOTIFY = 2048;

class TTrayIconHandler : public TObject {
public:
  TTrayIconHandler();
  int32_t RefCount = 0;
  mainloop::THiddenWindow &Window() { return window_; }

private:
  mainloop::THiddenWindow window_;
};

void AcquireTrayIconHandler();
void ReleaseTrayIconHandler();
// Null when no icon exists.
TTrayIconHandler *TrayIconHandler();

// TMouseButton and TShiftState (gui::ssShift ... gui::ssDouble fit) are the
// class library's, as for every control.
enum TBehavior { bhWin95, bhWin2000 };
enum TBalloonHintIcon { bitNone, bitInfo, bitWarning, bitError, bitCustom };
using TBalloonHintTimeOut = uint8_t; // 10 .. 60 seconds

class TCoolTrayIcon : public TComponent {
  CLASSLIB_CLASS(TCoolTrayIcon)

public:
  explicit TCoolTrayIcon(TComponent *owner);
  ~TCoolTrayIcon() override;
  void Loaded() override;
  void Notification(TComponent *component, TOperation operation) override;

  // Properties.
  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool value) { FDesignPreview = value; }
  gui::TImageList *IconList() const { return FIconList; }
  void SetIconList(gui::TImageList *value);
  // Cycling runs while the icon is shown; while it is hidden it rests, unless
  // an OnCycle handler was bound when cycling started or the icon was hidden.
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool value);
  uint32_t CycleInterval() const { return FCycleInterval; }
  void SetCycleInterval(uint32_t value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  const std::string &Hint() const { return FHint; }
  void SetHint(const std::string &value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  const QIcon &Icon() const { return FIcon; }
  void SetIcon(const QIcon &value);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool value);
  int32_t IconIndex() const { return FIconIndex; }
  void SetIconIndex(int32_t value);
  QMenu *PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu *value) { FPopupMenu = value; }
  bool LeftPopup() const { return FLeftPopup; }
  void SetLeftPopup(bool value) { FLeftPopup = value; }
  bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
  void SetWantEnterExitEvents(bool value);
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool value) { FMinimizeToTray = value; }
  TBehavior Behavior() const { return FBehavior; }
  void SetBehavior(TBehavior value);

  TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseExit, OnMinimizeToTray;
  TNotifyEvent OnBalloonHintShow, OnBalloonHintHide, OnBalloonHintTimeout, OnBalloonHintClick;
  TEvent<void(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseDown,
      OnMouseUp;
  TEvent<void(TObject *Sender, TShiftState Shift, int X, int Y)> OnMouseMove;
  TEvent<void(TObject *Sender, int32_t NextIndex)> OnCycle;
  TEvent<void(TObject *Sender, bool &ShowMainForm)> OnStartup;

  // Shell calls; each returns the shell's success.
  virtual bool LoadDefaultIcon() { return true; }
  virtual bool ShowIcon();
  virtual bool HideIcon();
  virtual bool ModifyIcon();
  bool SetFocus();
  bool Refresh() { return ModifyIcon(); }

  bool ShowBalloonHint(const std::string &title, const std::string &text, TBalloonHintIcon icon,
                       TBalloonHintTimeOut timeoutSeconds);
  bool ShowBalloonHintUnicode(const std::u16string &title, const std::u16string &text,
                              TBalloonHintIcon icon, TBalloonHintTimeOut timeoutSeconds);
  bool HideBalloonHint();
  static bool BitmapToIcon(const QImage &bitmap, QIcon &icon, uint32_t maskColor);
  QPoint GetClientIconPos(int X, int Y);
  // The shell's own tip and balloon windows have no counterpart here: 0.
  uint64_t GetTooltipHandle() { return 0; }
  uint64_t GetBalloonHintHandle() { return 0; }
  void Popup(int X, int Y);
  void PopupAtCursor();
  void HideTaskbarIcon();
  void ShowTaskbarIcon();
  void ShowMainForm();
  void HideMainForm();

  // The record as the next shell call sends it.
  const gui::TNotifyIconData &IconData() const { return FIconData; }
  uint64_t Id() const { return FIconData.uID; }
  // The handler window's procedure for this icon's notification message.
  void HandleIconMessage(uint32_t message);

protected:
  virtual void Click();
  virtual void DblClick();
  virtual void CycleIcon();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseExit();
  virtual void DoMinimizeToTray();

private:
  bool InitIcon();
  bool CycleSeen() const;
  void UpdateCycleTimer();
  void CycleTimerProc(TObject *);
  void ClickTimerProc(TObject *);
  void MouseExitTimerProc(TObject *);
  QWidget *OwnerWindow() const;

  bool FDesignPreview = false;
  gui::TImageList *FIconList = nullptr;
  bool FCycleIcons = false;
  uint32_t FCycleInterval = 0;
  bool FEnabled = true;
  std::string FHint;
  bool FShowHint = true;
  QIcon FIcon;
  bool FIconVisible = false;
  int32_t FIconIndex = 0;
  QMenu *FPopupMenu = nullptr;
  bool FLeftPopup = false;
  bool FWantEnterExitEvents = false;
  bool FMinimizeToTray = false;
  TBehavior FBehavior = bhWin95;

  std::unique_ptr<TSimpleTimer> FCycleTimer, FClickTimer, FExitTimer;
  QPoint FLastMoveExitPos;
  bool FMouseOutside = true;
  bool FPressStarted = false;
  bool FClickReady = false;
  bool FDblClickSeen = false;
  bool FPreviewing = false;
  gui::TNotifyIconData FIconData;
  int FTaskbarListener = 0;
  std::unique_ptr<QObject> FOwnerHook;
};

// The first n characters (code points) of a UTF-8 text.
std::string Utf8Prefix(const std::string &text, size_t n);

void RegisterCoolTrayIconClasses();
