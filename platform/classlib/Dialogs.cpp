#include "platform/classlib/Dialogs.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "platform/classlib/ClassBuilder.h"

namespace {

std::mutex handlerLock; // guards the three below
TShowMessageHandler &Handler() {
  static TShowMessageHandler handler;
  return handler;
}
IDialogHandler *dialogHandler = nullptr;
std::string &Title() {
  static std::string title;
  return title;
}

IDialogHandler *CurrentDialogHandler() {
  std::lock_guard lock(handlerLock);
  return dialogHandler;
}

// The answer of a dialog nobody sees: the one that changes nothing.
TModalResult UnseenAnswer(TMsgDlgButtons buttons) {
  if (HasButton(buttons, mbCancel))
    return mrCancel;
  if (HasButton(buttons, mbNo))
    return mrNo;
  if (HasButton(buttons, mbOK))
    return mrOk;
  if (HasButton(buttons, mbIgnore))
    return mrIgnore;
  return mrCancel;
}

TModalResult ShowDialog(const TMessageDialog &dialog) {
  if (IDialogHandler *h = CurrentDialogHandler())
    return h->MessageDialog(dialog);
  std::fprintf(stderr, "%s%s%s\n", dialog.Caption.c_str(), dialog.Caption.empty() ? "" : ": ",
               dialog.Text.c_str());
  return UnseenAnswer(dialog.Buttons);
}

} // namespace

void ShowMessage(const std::string &text) {
  TShowMessageHandler handler;
  IDialogHandler *dialogs;
  {
    std::lock_guard lock(handlerLock);
    handler = Handler();
    dialogs = dialogHandler;
  }
  if (handler) {
    handler(text);
    return;
  }
  if (dialogs) {
    dialogs->ShowMessage(text);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}

TShowMessageHandler SetShowMessageHandler(TShowMessageHandler handler) {
  std::lock_guard lock(handlerLock);
  return std::exchange(Handler(), std::move(handler));
}

IDialogHandler *SetDialogHandler(IDialogHandler *handler) {
  std::lock_guard lock(handlerLock);
  return std::exchange(dialogHandler, handler);
}

void SetDialogTitle(const std::string &title) {
  std::lock_guard lock(handlerLock);
  Title() = title;
}

std::string DialogTitle() {
  std::lock_guard lock(handlerLock);
  return Title();
}

TModalResult MessageDlg(const std::string &text, TMsgDlgType type, TMsgDlgButtons buttons) {
  return ShowDialog(TMessageDialog{DialogTitle(), text, type, buttons});
}

int MessageBox(const std::string &text, const std::string &caption, uint32_t flags) {
  TMessageDialog d;
  d.Caption = caption;
  d.Text = text;
  switch (flags & 0xF) {
  case MB_OKCANCEL:
    d.Buttons = MsgDlgButtons({mbOK, mbCancel});
    break;
  case MB_ABORTRETRYIGNORE:
    d.Buttons = MsgDlgButtons({mbAbort, mbRetry, mbIgnore});
    break;
  case MB_YESNOCANCEL:
    d.Buttons = MsgDlgButtons({mbYes, mbNo, mbCancel});
    break;
  case MB_YESNO:
    d.Buttons = MsgDlgButtons({mbYes, mbNo});
    break;
  case MB_RETRYCANCEL:
    d.Buttons = MsgDlgButtons({mbRetry, mbCancel});
    break;
  default:
    d.Buttons = MsgDlgButtons({mbOK});
    break;
  }
  switch (flags & 0xF0) {
  case MB_ICONERROR:
    d.Type = mtError;
    break;
  case MB_ICONQUESTION:
    d.Type = mtConfirmation;
    break;
  case MB_ICONWARNING:
    d.Type = mtWarning;
    break;
  case MB_ICONINFORMATION:
    d.Type = mtInformation;
    break;
  default:
    d.Type = mtCustom;
    break;
  }
  return ShowDialog(d);
}

bool ExecuteFileDialog(TFileDialog &dialog) {
  if (IDialogHandler *h = CurrentDialogHandler())
    return h->FileDialog(dialog);
  std::fprintf(stderr, "%s dialog cancelled: no one to answer it\n",
               dialog.Kind == fdOpen ? "Open" : "Save");
  return false;
}

std::string WithDefaultExt(const std::string &name, const std::string &ext) {
  if (name.empty() || ext.empty())
    return name;
  size_t slash = name.find_last_of('/');
  size_t filePart = slash == std::string::npos ? 0 : slash + 1;
  if (filePart == name.size())
    return name;
  // A leading dot names a hidden file, not an extension.
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > filePart)
    return name;
  return name + "." + ext;
}

std::vector<std::string> TScriptedDialogs::Texts() const {
  std::vector<std::string> texts;
  for (const TMessageDialog &d : shown_)
    texts.push_back(d.Text);
  return texts;
}

void TScriptedDialogs::ShowMessage(const std::string &text) {
  TMessageDialog d;
  d.Text = text;
  shown_.push_back(d);
  if (OnShow)
    OnShow(d);
}

TModalResult TScriptedDialogs::MessageDialog(const TMessageDialog &dialog) {
  shown_.push_back(dialog);
  if (OnShow)
    OnShow(dialog);
  if (!answers_.empty()) {
    TModalResult r = answers_.front();
    answers_.pop_front();
    return r;
  }
  if (HasButton(dialog.Buttons, mbCancel))
    return mrCancel;
  for (TMsgDlgBtn b : {mbOK, mbYes, mbNo, mbAbort, mbRetry, mbIgnore})
    if (HasButton(dialog.Buttons, b)) {
      static constexpr TModalResult results[] = {mrYes,   mrNo,    mrOk,    mrCancel,
                                                 mrAbort, mrRetry, mrIgnore};
      return results[b];
    }
  return mrCancel;
}

bool TScriptedDialogs::FileDialog(TFileDialog &dialog) {
  fileDialogs_.push_back(dialog);
  if (files_.empty())
    return false;
  std::optional<std::string> answer = std::move(files_.front());
  files_.pop_front();
  if (!answer)
    return false;
  dialog.FileName = WithDefaultExt(*answer, dialog.DefaultExt);
  return true;
}

const TClassInfo &TOpenDialog::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TOpenDialog>(
      "TOpenDialog", &TComponent::StaticClassInfo(), [](TClassBuilder<TOpenDialog> &c) {
        c.String("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
        c.String("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
        c.String("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
        c.String("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
        c.String("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
      });
  return info;
}

bool TOpenDialog::Execute() {
  TFileDialog dialog = dialog_;
  dialog.Kind = fdOpen;
  if (!ExecuteFileDialog(dialog))
    return false;
  dialog_.FileName = dialog.FileName;
  return true;
}

void RegisterDialogClasses() { RegisterClass(TOpenDialog::StaticClassInfo()); }
