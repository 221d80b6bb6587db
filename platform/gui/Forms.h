// Forms: components that own a top-level Qt widget (a dialog or a main
// window) and give it the class library's life: caption, show and modal
// show with OnShow, closing through OnCloseQuery and OnClose, and the modal
// result. The widget is built by the form's own code (or a Designer file);
// the form's components are loaded from its form text. Main thread only.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/classlib/Component.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/NotifyEvent.h"

namespace gui {

enum TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public TComponent {
  CLASSLIB_CLASS(TForm)

public:
  // Takes widget (created without parent) for the life of the form.
  TForm(TComponent *owner, QWidget *widget);
  ~TForm() override;

  QWidget *Widget() const { return widget_; }
  std::string Caption() const;
  void SetCaption(const std::string &caption);

  void Show();
  bool Visible() const;
  // Shows the form modally and returns its modal result (the widget must be
  // a QDialog); mrCancel when it was closed without a result.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  // Ends a modal show with result.
  void SetModalResult(TModalResult result);

  // Asks OnCloseQuery, then runs OnClose; hides the form unless the action
  // says otherwise. False when the close was refused.
  bool Close();

  TNotifyEvent OnShow;
  TEvent<void(TObject *Sender, bool &CanClose)> OnCloseQuery;
  TEvent<void(TObject *Sender, TCloseAction &Action)> OnClose;

  // Whether the platform's close request (the title bar's close button) may
  // go ahead: runs the close protocol.
  bool HandleCloseRequest();
  void HandleShow();

private:
  QPointer<QWidget> widget_;
  TModalResult modalResult_ = mrNone;
  bool closing_ = false;
  std::unique_ptr<QObject> filter_;
};

} // namespace gui
