#include "platform/gui/TrayIconBackend.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <memory>

namespace gui {

namespace {

void Post(const TNotifyIconData &d, uint32_t mouseMessage) {
  if (d.Wnd && (d.uFlags & NIF_MESSAGE))
    d.Wnd->PostMessage(d.uCallbackMessage, d.uID, mouseMessage);
}

} // namespace

class TQtTrayIconBackend final : public ITrayIconBackend {
public:
  bool ShellNotifyIcon(uint32_t message, const TNotifyIconData &data) override {
    auto it = icons_.find(data.uID);
    switch (message) {
    case NIM_ADD: {
      if (it != icons_.end())
        return false;
      auto icon = std::make_unique<TIcon>();
      icon->Data = data;
      QSystemTrayIcon *tray = &icon->Tray;
      TIcon *self = icon.get();
      QObject::connect(tray, &QSystemTrayIcon::activated, tray,
                       [self](QSystemTrayIcon::ActivationReason r) {
                         switch (r) {
                         case QSystemTrayIcon::Trigger:
                           Post(self->Data, WM_LBUTTONDOWN);
                           Post(self->Data, WM_LBUTTONUP);
                           break;
                         case QSystemTrayIcon::DoubleClick:
                           Post(self->Data, WM_LBUTTONDBLCLK);
                           break;
                         case QSystemTrayIcon::Context:
                           Post(self->Data, WM_RBUTTONDOWN);
                           Post(self->Data, WM_RBUTTONUP);
                           break;
                         case QSystemTrayIcon::MiddleClick:
                           Post(self->Data, WM_MBUTTONDOWN);
                           Post(self->Data, WM_MBUTTONUP);
                           break;
                         default:
                           break;
                         }
                       });
      QObject::connect(tray, &QSystemTrayIcon::messageClicked, tray,
                       [self] { Post(self->Data, NIN_BALLOONUSERCLICK); });
      Apply(*icon, data);
      tray->show();
      icons_.emplace(data.uID, std::move(icon));
      return true;
    }
    case NIM_MODIFY:
      if (it == icons_.end())
        return false;
      Apply(*it->second, data);
      return true;
    case NIM_DELETE:
      if (it == icons_.end())
        return false;
      icons_.erase(it);
      return true;
    case NIM_SETFOCUS:
    case NIM_SETVERSION:
      return it != icons_.end();
    default:
      return false;
    }
  }
  QPoint CursorPos() override { return QCursor::pos(); }
  uint32_t ShiftState() override {
    Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    uint32_t s = 0;
    if (m & Qt::ShiftModifier)
      s |= ssShift;
    if (m & Qt::AltModifier)
      s |= ssAlt;
    if (m & Qt::ControlModifier)
      s |= ssCtrl;
    return s;
  }
  uint32_t DoubleClickTime() override {
    return static_cast<uint32_t>(QApplication::doubleClickInterval());
  }
  // A Qt tray icon follows the tray itself when it restarts.
  int AddTaskbarCreatedListener(std::function<void()>) override { return 0; }
  void RemoveTaskbarCreatedListener(int) override {}

private:
  struct TIcon {
    TNotifyIconData Data;
    QSystemTrayIcon Tray;
  };
  static void Apply(TIcon &icon, const TNotifyIconData &d) {
    QSystemTrayIcon &t = icon.Tray;
    icon.Data = d;
    if (d.uFlags & NIF_ICON)
      t.setIcon(d.hIcon);
    if (d.uFlags & NIF_TIP)
      t.setToolTip(QString::fromStdString(d.szTip));
    if ((d.uFlags & NIF_INFO) && !d.szInfo.empty()) {
      static constexpr QSystemTrayIcon::MessageIcon icons[] = {
          QSystemTrayIcon::NoIcon, QSystemTrayIcon::Information, QSystemTrayIcon::Warning,
          QSystemTrayIcon::Critical, QSystemTrayIcon::NoIcon};
      t.showMessage(QString::fromStdString(d.szInfoTitle), QString::fromStdString(d.szInfo),
                    icons[d.dwInfoFlags < 5 ? d.dwInfoFlags : 0],
                    static_cast<int>(d.uTimeoutOrVersion));
    }
  }
  std::map<uint64_t, std::unique_ptr<TIcon>> icons_;
};

namespace {

ITrayIconBackend *installed = nullptr;

TQtTrayIconBackend &QtBackend() {
  static TQtTrayIconBackend &backend = *new TQtTrayIconBackend;
  return backend;
}

} // namespace

ITrayIconBackend &TrayIconBackend() { return installed ? *installed : QtBackend(); }

ITrayIconBackend *SetTrayIconBackend(ITrayIconBackend *backend) {
  return std::exchange(installed, backend);
}

TTestTrayIconBackend::TTestTrayIconBackend() : previous_(SetTrayIconBackend(this)) {}

TTestTrayIconBackend::~TTestTrayIconBackend() { SetTrayIconBackend(previous_); }

std::vector<uint32_t> TTestTrayIconBackend::Messages() const {
  std::vector<uint32_t> m;
  for (const TCall &c : calls_)
    m.push_back(c.Message);
  return m;
}

const TNotifyIconData *TTestTrayIconBackend::Icon(uint64_t id) const {
  auto it = icons_.find(id);
  return it == icons_.end() ? nullptr : &it->second;
}

bool TTestTrayIconBackend::ShellNotifyIcon(uint32_t message, const TNotifyIconData &data) {
  calls_.push_back(TCall{message, data});
  if (FailCalls)
    return false;
  auto it = icons_.find(data.uID);
  switch (message) {
  case NIM_ADD:
    if (it != icons_.end())
      return false;
    icons_.emplace(data.uID, data);
    return true;
  case NIM_MODIFY:
    if (it == icons_.end())
      return false;
    it->second = data;
    return true;
  case NIM_DELETE:
    if (it == icons_.end())
      return false;
    icons_.erase(it);
    return true;
  case NIM_SETFOCUS:
  case NIM_SETVERSION:
    return it != icons_.end();
  default:
    return false;
  }
}

bool TTestTrayIconBackend::Send(uint64_t id, uint32_t mouseMessage) {
  auto it = icons_.find(id);
  if (it == icons_.end() || !it->second.Wnd)
    return false;
  return it->second.Wnd->PostMessage(it->second.uCallbackMessage, id, mouseMessage);
}

void TTestTrayIconBackend::RestartTaskbar() {
  icons_.clear();
  auto listeners = listeners_;
  for (auto &[id, l] : listeners)
    l();
}

int TTestTrayIconBackend::AddTaskbarCreatedListener(std::function<void()> listener) {
  int id = nextListener_++;
  listeners_.emplace(id, std::move(listener));
  return id;
}

void TTestTrayIconBackend::RemoveTaskbarCreatedListener(int id) { listeners_.erase(id); }

} // namespace gui
