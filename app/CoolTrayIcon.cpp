#include "app/CoolTrayIcon.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QPixmap>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <map>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"

namespace {

TTrayIconHandler *handler = nullptr;

// The icons that exist, by identifier: a notification for an icon that has
// gone meanwhile is dropped.
std::map<uint64_t, TCoolTrayIcon *> &Icons() {
  static std::map<uint64_t, TCoolTrayIcon *> icons;
  return icons;
}

gui::ITrayIconBackend &Shell() { return gui::TrayIconBackend(); }

// Turns the owner window's minimise into a move to the tray.
class TOwnerHook : public QObject {
public:
  explicit TOwnerHook(TCoolTrayIcon *icon) : icon_(icon) {}
  std::function<void()> Minimised;
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::WindowStateChange) {
      auto *w = static_cast<QWidget *>(watched);
      if (w->isMinimized() && Minimised)
        gui::Guarded(Minimised);
    }
    return false;
  }

private:
  TCoolTrayIcon *icon_;
};

} // namespace

std::string Utf8Prefix(const std::string &text, size_t n) {
  size_t i = 0, count = 0;
  while (i < text.size() && count < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > text.size())
      break;
    i += len;
    ++count;
  }
  return text.substr(0, i);
}

TTrayIconHandler::TTrayIconHandler() {
  window_.SetWindowProc([](const mainloop::TMessage &m) {
    if (m.Msg != WM_TRAYNOTIFY)
      return;
    auto it = Icons().find(m.WParam);
    if (it != Icons().end())
      it->second->HandleIconMessage(static_cast<uint32_t>(m.LParam));
  });
}

void AcquireTrayIconHandler() {
  if (!handler)
    handler = new TTrayIconHandler;
  ++handler->RefCount;
}

void ReleaseTrayIconHandler() {
  if (!handler)
    return;
  if (handler->RefCount > 0)
    --handler->RefCount;
  if (handler->RefCount == 0) {
    delete handler;
    handler = nullptr;
  }
}

TTrayIconHandler *TrayIconHandler() { return handler; }

const TClassInfo &TCoolTrayIcon::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TCoolTrayIcon>(
      "TCoolTrayIcon", &TComponent::StaticClassInfo(), [](TClassBuilder<TCoolTrayIcon> &c) {
        c.Boolean("DesignPreview", &TCoolTrayIcon::DesignPreview, &TCoolTrayIcon::SetDesignPreview,
                  false);
        c.Boolean("CycleIcons", &TCoolTrayIcon::CycleIcons, &TCoolTrayIcon::SetCycleIcons, false);
        c.Integer("CycleInterval", &TCoolTrayIcon::CycleInterval, &TCoolTrayIcon::SetCycleInterval);
        c.Boolean("Enabled", &TCoolTrayIcon::Enabled, &TCoolTrayIcon::SetEnabled, true);
        c.String("Hint", &TCoolTrayIcon::Hint, &TCoolTrayIcon::SetHint);
        c.Boolean("ShowHint", &TCoolTrayIcon::ShowHint, &TCoolTrayIcon::SetShowHint, true);
        c.Boolean("IconVisible", &TCoolTrayIcon::IconVisible, &TCoolTrayIcon::SetIconVisible,
                  false);
        c.Integer("IconIndex", &TCoolTrayIcon::IconIndex, &TCoolTrayIcon::SetIconIndex);
        c.Boolean("LeftPopup", &TCoolTrayIcon::LeftPopup, &TCoolTrayIcon::SetLeftPopup, false);
        c.Boolean("WantEnterExitEvents", &TCoolTrayIcon::WantEnterExitEvents,
                  &TCoolTrayIcon::SetWantEnterExitEvents, false);
        c.Boolean("MinimizeToTray", &TCoolTrayIcon::MinimizeToTray,
                  &TCoolTrayIcon::SetMinimizeToTray, false);
        c.Event("OnClick", &TCoolTrayIcon::OnClick);
        c.Event("OnDblClick", &TCoolTrayIcon::OnDblClick);
        c.Event("OnMouseEnter", &TCoolTrayIcon::OnMouseEnter);
        c.Event("OnMouseExit", &TCoolTrayIcon::OnMouseExit);
        c.Event("OnMinimizeToTray", &TCoolTrayIcon::OnMinimizeToTray);
        c.Event("OnBalloonHintShow", &TCoolTrayIcon::OnBalloonHintShow);
        c.Event("OnBalloonHintHide", &TCoolTrayIcon::OnBalloonHintHide);
        c.Event("OnBalloonHintTimeout", &TCoolTrayIcon::OnBalloonHintTimeout);
        c.Event("OnBalloonHintClick", &TCoolTrayIcon::OnBalloonHintClick);
        c.Event("OnMouseDown", &TCoolTrayIcon::OnMouseDown);
        c.Event("OnMouseUp", &TCoolTrayIcon::OnMouseUp);
        c.Event("OnMouseMove", &TCoolTrayIcon::OnMouseMove);
        c.Event("OnCycle", &TCoolTrayIcon::OnCycle);
        c.Event("OnStartup", &TCoolTrayIcon::OnStartup);
      });
  return info;
}

TCoolTrayIcon::TCoolTrayIcon(TComponent *owner) : TComponent(owner) {
  AcquireTrayIconHandler();
  FIconData.cbSize = 488;
  FIconData.Wnd = &handler->Window();
  FIconData.uID = reinterpret_cast<uint64_t>(this);
  FIconData.uFlags = gui::NIF_MESSAGE | gui::NIF_ICON | gui::NIF_TIP;
  FIconData.uCallbackMessage = WM_TRAYNOTIFY;
  Icons()[FIconData.uID] = this;

  TNotifyEvent cycle, click, exit;
  cycle.Fn = [this](TObject *s) { CycleTimerProc(s); };
  click.Fn = [this](TObject *s) { ClickTimerProc(s); };
  exit.Fn = [this](TObject *s) { MouseExitTimerProc(s); };
  FCycleTimer = std::make_unique<TSimpleTimer>(1000, cycle);
  FClickTimer = std::make_unique<TSimpleTimer>(1000, click);
  FExitTimer = std::make_unique<TSimpleTimer>(20, exit);
  FMouseOutside = true;
  FTaskbarListener = Shell().AddTaskbarCreatedListener([this] {
    // The taskbar restarted: a visible icon is added again.
    if (FIconVisible)
      ShowIcon();
  });
  if (QWidget *w = OwnerWindow(); w && !InState(csDesigning)) {
    auto hook = std::make_unique<TOwnerHook>(this);
    hook->Minimised = [this] {
      if (FMinimizeToTray) {
        if (OnMinimizeToTray)
          OnMinimizeToTray(this);
        DoMinimizeToTray();
      }
    };
    w->installEventFilter(hook.get());
    FOwnerHook = std::move(hook);
  }
}

TCoolTrayIcon::~TCoolTrayIcon() {
  HideIcon();
  FCycleTimer.reset();
  FClickTimer.reset();
  FExitTimer.reset();
  Shell().RemoveTaskbarCreatedListener(FTaskbarListener);
  if (FOwnerHook) {
    if (QWidget *w = OwnerWindow())
      w->removeEventFilter(FOwnerHook.get());
    FOwnerHook.reset();
  }
  Icons().erase(FIconData.uID);
  ReleaseTrayIconHandler();
}

QWidget *TCoolTrayIcon::OwnerWindow() const {
  auto *form = dynamic_cast<gui::TForm *>(Owner());
  return form ? form->Widget() : nullptr;
}

void TCoolTrayIcon::Loaded() {
  TComponent::Loaded();
  if (OwnerWindow() && !InState(csDesigning)) {
    bool show = true;
    if (OnStartup)
      OnStartup(this, show);
    if (!show)
      HideMainForm();
  }
  ModifyIcon();
  bool visible = FIconVisible;
  SetIconVisible(visible);
  SetCycleIcons(FCycleIcons);
  SetWantEnterExitEvents(FWantEnterExitEvents);
  SetBehavior(FBehavior);
}

void TCoolTrayIcon::Notification(TComponent *component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FIconList) {
    FIconList = nullptr;
    SetIconIndex(0);
  }
}

bool TCoolTrayIcon::InitIcon() {
  if (InState(csDesigning) && !FPreviewing && !FDesignPreview)
    return false;
  FIconData.hIcon = FIcon;
  if (!FHint.empty() && FShowHint)
    FIconData.szTip = Utf8Prefix(FHint, 127);
  else
    FIconData.szTip.clear();
  return true;
}

bool TCoolTrayIcon::ShowIcon() {
  bool ok = InitIcon() && Shell().ShellNotifyIcon(gui::NIM_ADD, FIconData);
  if (!FPreviewing)
    FIconVisible = true;
  UpdateCycleTimer();
  return ok;
}

bool TCoolTrayIcon::HideIcon() {
  bool ok = InitIcon() && Shell().ShellNotifyIcon(gui::NIM_DELETE, FIconData);
  if (!FPreviewing)
    FIconVisible = false;
  UpdateCycleTimer();
  return ok;
}

bool TCoolTrayIcon::ModifyIcon() {
  return InitIcon() && Shell().ShellNotifyIcon(gui::NIM_MODIFY, FIconData);
}

bool TCoolTrayIcon::SetFocus() { return Shell().ShellNotifyIcon(gui::NIM_SETFOCUS, FIconData); }

void TCoolTrayIcon::SetBehavior(TBehavior value) {
  FBehavior = value;
  FIconData.uTimeoutOrVersion = value == bhWin2000 ? 3 : 0;
  Shell().ShellNotifyIcon(gui::NIM_SETVERSION, FIconData);
}

void TCoolTrayIcon::SetIconVisible(bool value) {
  if (value)
    ShowIcon();
  else
    HideIcon();
}

void TCoolTrayIcon::SetIcon(const QIcon &value) {
  FIcon = value;
  ModifyIcon();
}

void TCoolTrayIcon::SetIconList(gui::TImageList *value) {
  FIconList = value;
  SetIconIndex(0);
}

void TCoolTrayIcon::SetIconIndex(int32_t value) {
  if (FIconList && FIconList->Count() > 0) {
    // Beyond the list selects the last picture, below it the first.
    if (value >= FIconList->Count())
      value = FIconList->Count() - 1;
    if (value < 0)
      value = 0;
    FIconIndex = value;
    FIconList->GetIcon(FIconIndex, FIcon);
  } else {
    FIconIndex = 0;
  }
  ModifyIcon();
}

void TCoolTrayIcon::SetCycleIcons(bool value) {
  FCycleIcons = value;
  if (value) {
    SetIconIndex(0);
    FCycleTimer->SetInterval(FCycleInterval);
    FCycleTimer->SetEnabled(CycleSeen());
  } else {
    FCycleTimer->SetEnabled(false);
  }
}

// A hidden icon with no OnCycle handler has nothing to show for a tick, and
// its ticks would wake an idle program twice a second: the cycle timer rests
// until the icon is shown again (or a handler is there when it is hidden).
bool TCoolTrayIcon::CycleSeen() const { return FIconVisible || bool(OnCycle); }

void TCoolTrayIcon::UpdateCycleTimer() {
  if (!FCycleTimer || !FCycleIcons)
    return;
  const bool run = CycleSeen();
  if (run != FCycleTimer->Enabled())
    FCycleTimer->SetEnabled(run);
}

void TCoolTrayIcon::SetCycleInterval(uint32_t value) {
  if (value == FCycleInterval)
    return;
  FCycleInterval = value;
  SetCycleIcons(FCycleIcons);
}

void TCoolTrayIcon::SetHint(const std::string &value) {
  FHint = value;
  ModifyIcon();
}

void TCoolTrayIcon::SetShowHint(bool value) {
  FShowHint = value;
  ModifyIcon();
}

void TCoolTrayIcon::SetWantEnterExitEvents(bool value) {
  FWantEnterExitEvents = value;
  FExitTimer->SetEnabled(value);
}

void TCoolTrayIcon::CycleTimerProc(TObject *) {
  if (!FIconList)
    return;
  QIcon icon;
  FIconList->GetIcon(FIconIndex, icon);
  SetIcon(icon);
  CycleIcon();
  SetIconIndex(FIconIndex >= FIconList->Count() - 1 ? 0 : FIconIndex + 1);
}

void TCoolTrayIcon::ClickTimerProc(TObject *) {
  FClickTimer->SetEnabled(false);
  if (!FDblClickSeen && FClickReady) {
    FClickReady = false;
    Click();
  }
  FDblClickSeen = false;
}

void TCoolTrayIcon::MouseExitTimerProc(TObject *) {
  if (FMouseOutside)
    return;
  if (Shell().CursorPos() != FLastMoveExitPos) {
    FMouseOutside = true;
    MouseExit();
  }
}

void TCoolTrayIcon::HandleIconMessage(uint32_t message) {
  if (!FEnabled)
    return;
  TShiftState keys = Shell().ShiftState();
  QPoint p = Shell().CursorPos();
  int x = p.x(), y = p.y();
  switch (message) {
  case gui::WM_MOUSEMOVE:
    if (FWantEnterExitEvents && FMouseOutside) {
      FMouseOutside = false;
      MouseEnter();
    }
    MouseMove(keys, x, y);
    FLastMoveExitPos = p;
    break;
  case gui::WM_LBUTTONDOWN:
    if (OnDblClick) {
      FClickTimer->SetInterval(Shell().DoubleClickTime());
      FClickTimer->SetEnabled(true);
    }
    MouseDown(mbLeft, keys | gui::ssLeft, x, y);
    FPressStarted = true;
    if (FLeftPopup && FPopupMenu)
      PopupAtCursor();
    break;
  case gui::WM_LBUTTONUP:
    if (FPressStarted)
      FClickReady = true;
    if (FPressStarted && !FClickTimer->Enabled()) {
      FPressStarted = false;
      FClickReady = false;
      Click();
    }
    FPressStarted = false;
    MouseUp(mbLeft, keys | gui::ssLeft, x, y);
    break;
  case gui::WM_LBUTTONDBLCLK:
    FClickReady = false;
    FDblClickSeen = true;
    DblClick();
    if (FPopupMenu && !FLeftPopup)
      if (QAction *def = FPopupMenu->defaultAction())
        def->trigger();
    break;
  case gui::WM_RBUTTONDOWN:
    MouseDown(mbRight, keys | gui::ssRight, x, y);
    if (FPopupMenu)
      PopupAtCursor();
    break;
  case gui::WM_RBUTTONUP:
    if (FBehavior == bhWin95)
      MouseUp(mbRight, keys | gui::ssRight, x, y);
    break;
  case gui::WM_CONTEXTMENU:
  case gui::NIN_SELECT:
  case gui::NIN_KEYSELECT:
    if (FBehavior == bhWin2000)
      MouseUp(mbRight, keys | gui::ssRight, x, y);
    break;
  case gui::WM_MBUTTONDOWN:
    MouseDown(mbMiddle, keys | gui::ssMiddle, x, y);
    break;
  case gui::WM_MBUTTONUP:
    MouseUp(mbMiddle, keys | gui::ssMiddle, x, y);
    break;
  case gui::NIN_BALLOONSHOW:
    if (OnBalloonHintShow)
      OnBalloonHintShow(this);
    break;
  case gui::NIN_BALLOONHIDE:
    if (OnBalloonHintHide)
      OnBalloonHintHide(this);
    break;
  case gui::NIN_BALLOONTIMEOUT:
    if (OnBalloonHintTimeout)
      OnBalloonHintTimeout(this);
    break;
  case gui::NIN_BALLOONUSERCLICK:
    if (OnBalloonHintClick)
      OnBalloonHintClick(this);
    break;
  default:
    break;
  }
}

bool TCoolTrayIcon::ShowBalloonHint(const std::string &title, const std::string &text,
                                    TBalloonHintIcon icon, TBalloonHintTimeOut timeoutSeconds) {
  HideBalloonHint();
  FIconData.uFlags |= gui::NIF_INFO;
  FIconData.szInfo = Utf8Prefix(text, 255);
  FIconData.szInfoTitle = Utf8Prefix(title, 63);
  FIconData.uTimeoutOrVersion = static_cast<uint32_t>(timeoutSeconds) * 1000;
  static constexpr uint32_t flags[] = {gui::NIIF_NONE, gui::NIIF_INFO, gui::NIIF_WARNING,
                                       gui::NIIF_ERROR, gui::NIIF_USER};
  FIconData.dwInfoFlags = flags[icon];
  bool ok = ModifyIcon();
  FIconData.uFlags = gui::NIF_MESSAGE | gui::NIF_ICON | gui::NIF_TIP;
  return ok;
}

bool TCoolTrayIcon::ShowBalloonHintUnicode(const std::u16string &title, const std::u16string &text,
                                           TBalloonHintIcon icon,
                                           TBalloonHintTimeOut timeoutSeconds) {
  // Every character is kept, not only its low byte.
  return ShowBalloonHint(QString::fromStdU16String(title).toStdString(),
                         QString::fromStdU16String(text).toStdString(), icon, timeoutSeconds);
}

bool TCoolTrayIcon::HideBalloonHint() {
  FIconData.uFlags |= gui::NIF_INFO;
  FIconData.szInfo.clear();
  return ModifyIcon();
}

bool TCoolTrayIcon::BitmapToIcon(const QImage &bitmap, QIcon &icon, uint32_t maskColor) {
  QPixmap pixmap = QPixmap::fromImage(bitmap.scaled(16, 16));
  // The mask colour is 0x00BBGGRR.
  QColor mask(maskColor & 0xFF, (maskColor >> 8) & 0xFF, (maskColor >> 16) & 0xFF);
  pixmap.setMask(pixmap.createMaskFromColor(mask, Qt::MaskInColor));
  icon = QIcon(pixmap);
  return true;
}

QPoint TCoolTrayIcon::GetClientIconPos(int X, int Y) {
  // The shell's icon cells: a caption's height (19 pixels) less 3, plus 2.
  const int c = 19 - 3;
  return QPoint((X % (c + 2)) - 1, (Y % (c + 2)) - 1);
}

void TCoolTrayIcon::Popup(int X, int Y) {
  if (!FPopupMenu)
    return;
  QApplication::processEvents();
  FPopupMenu->popup(QPoint(X, Y));
}

void TCoolTrayIcon::PopupAtCursor() {
  QPoint p = Shell().CursorPos();
  Popup(p.x(), p.y());
}

void TCoolTrayIcon::HideTaskbarIcon() {
  // A window without a taskbar button of its own: the main window stands
  // for the application here.
  if (QWidget *w = OwnerWindow(); w && w->isVisible())
    w->hide();
}

void TCoolTrayIcon::ShowTaskbarIcon() {
  if (QWidget *w = OwnerWindow(); w && !w->isVisible())
    w->show();
}

void TCoolTrayIcon::ShowMainForm() {
  QWidget *w = OwnerWindow();
  if (!w)
    return;
  if (w->isMinimized())
    w->showNormal();
  w->show();
  w->raise();
  w->activateWindow();
}

void TCoolTrayIcon::HideMainForm() {
  if (QWidget *w = OwnerWindow()) {
    w->hide();
    HideTaskbarIcon();
  }
}

void TCoolTrayIcon::Click() {
  if (OnClick)
    OnClick(this);
}
void TCoolTrayIcon::DblClick() {
  if (OnDblClick)
    OnDblClick(this);
}
void TCoolTrayIcon::CycleIcon() {
  if (!OnCycle)
    return;
  int32_t next = 0;
  if (FIconList && FIconIndex < FIconList->Count() - 1)
    next = FIconIndex + 1;
  OnCycle(this, next);
}
void TCoolTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown)
    OnMouseDown(this, button, shift, x, y);
}
void TCoolTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp)
    OnMouseUp(this, button, shift, x, y);
}
void TCoolTrayIcon::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove)
    OnMouseMove(this, shift, x, y);
}
void TCoolTrayIcon::MouseEnter() {
  if (OnMouseEnter)
    OnMouseEnter(this);
}
void TCoolTrayIcon::MouseExit() {
  if (OnMouseExit)
    OnMouseExit(this);
}
void TCoolTrayIcon::DoMinimizeToTray() {
  HideMainForm();
  ShowIcon();
}

void RegisterCoolTrayIconClasses() { RegisterClass(TCoolTrayIcon::StaticClassInfo()); }
