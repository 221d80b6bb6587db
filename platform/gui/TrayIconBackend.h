// The notification area: the shell's icon record and the calls on it, behind
// a replaceable back end. The program's back end shows a QSystemTrayIcon
// per icon; TTestTrayIconBackend records every call for tests and lets them
// click the icon, move the cursor and restart the taskbar.
//
// Mouse actions on an icon reach its window as the record's callback
// message (wParam = the icon's identifier, lParam = the mouse message),
// posted to the window through platform/mainloop like any message.
// Main thread only.
#pragma once

#include <QIcon>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/mainloop/HiddenWindow.h"

namespace gui {

enum : uint32_t {
  NIM_ADD = 0,
  NIM_MODIFY = 1,
  NIM_DELETE = 2,
  NIM_SETFOCUS = 3,
  NIM_SETVERSION = 4
};
enum : uint32_t { NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4, NIF_STATE = 8, NIF_INFO = 16 };
enum : uint32_t { NIIF_NONE = 0, NIIF_INFO = 1, NIIF_WARNING = 2, NIIF_ERROR = 3, NIIF_USER = 4 };
// Mouse and balloon messages carried in lParam.
enum : uint32_t {
  WM_MOUSEMOVE = 0x200,
  WM_LBUTTONDOWN = 0x201,
  WM_LBUTTONUP = 0x202,
  WM_LBUTTONDBLCLK = 0x203,
  WM_RBUTTONDOWN = 0x204,
  WM_RBUTTONUP = 0x205,
  WM_MBUTTONDOWN = 0x207,
  WM_MBUTTONUP = 0x208,
  WM_CONTEXTMENU = 0x7B,
  NIN_SELECT = 0x400,
  NIN_KEYSELECT = 0x401,
  NIN_BALLOONSHOW = 0x402,
  NIN_BALLOONHIDE = 0x403,
  NIN_BALLOONTIMEOUT = 0x404,
  NIN_BALLOONUSERCLICK = 0x405,
};

// The icon record. Texts are UTF-8; the limits of the shell's fixed fields
// (tip 127, balloon text 255, balloon title 63 characters) are applied by
// the caller.
struct TNotifyIconData {
  uint32_t cbSize = 488;
  mainloop::THiddenWindow *Wnd = nullptr;
  uint64_t uID = 0;
  uint32_t uFlags = 0;
  uint32_t uCallbackMessage = 0;
  QIcon hIcon;
  std::string szTip;
  uint32_t dwState = 0;
  uint32_t dwStateMask = 0;
  std::string szInfo;
  uint32_t uTimeoutOrVersion = 0; // balloon time-out in ms, or the protocol version
  std::string szInfoTitle;
  uint32_t dwInfoFlags = 0;
};

// Keyboard state as the class library's shift state.
enum : uint32_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};

class ITrayIconBackend {
public:
  virtual ~ITrayIconBackend() = default;
  // The shell call: true on success.
  virtual bool ShellNotifyIcon(uint32_t message, const TNotifyIconData &data) = 0;
  virtual QPoint CursorPos() = 0;
  virtual uint32_t ShiftState() = 0; // ssShift | ssAlt | ssCtrl of the moment
  virtual uint32_t DoubleClickTime() = 0;
  // Told when the taskbar was restarted and every icon must be added again.
  virtual int AddTaskbarCreatedListener(std::function<void()> listener) = 0;
  virtual void RemoveTaskbarCreatedListener(int id) = 0;
};

// The back end in use: the Qt one unless one was installed (nullptr
// restores it).
ITrayIconBackend &TrayIconBackend();
ITrayIconBackend *SetTrayIconBackend(ITrayIconBackend *backend);

class TQtTrayIconBackend;

// Records the shell calls; the icons it holds are those added and not
// deleted. Installs itself for its lifetime.
class TTestTrayIconBackend : public ITrayIconBackend {
public:
  TTestTrayIconBackend();
  ~TTestTrayIconBackend() override;

  struct TCall {
    uint32_t Message;
    TNotifyIconData Data;
  };
  const std::vector<TCall> &Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // The messages of the calls, in order.
  std::vector<uint32_t> Messages() const;
  bool Shown(uint64_t id) const { return icons_.count(id) != 0; }
  const TNotifyIconData *Icon(uint64_t id) const;
  // A call fails while this is set (ADD of a shown icon and MODIFY or DELETE
  // of an absent one always fail, as the shell's do).
  bool FailCalls = false;

  // Posts mouseMessage to the icon's window as the shell would.
  bool Send(uint64_t id, uint32_t mouseMessage);
  void SetCursorPos(QPoint p) { cursor_ = p; }
  void SetShiftState(uint32_t s) { shift_ = s; }
  void SetDoubleClickTime(uint32_t ms) { dblClick_ = ms; }
  void RestartTaskbar();

  bool ShellNotifyIcon(uint32_t message, const TNotifyIconData &data) override;
  QPoint CursorPos() override { return cursor_; }
  uint32_t ShiftState() override { return shift_; }
  uint32_t DoubleClickTime() override { return dblClick_; }
  int AddTaskbarCreatedListener(std::function<void()> listener) override;
  void RemoveTaskbarCreatedListener(int id) override;

private:
  ITrayIconBackend *previous_;
  std::vector<TCall> calls_;
  std::map<uint64_t, TNotifyIconData> icons_;
  QPoint cursor_;
  uint32_t shift_ = 0;
  uint32_t dblClick_ = 500;
  int nextListener_ = 1;
  std::map<int, std::function<void()>> listeners_;
};

} // namespace gui
