#include "platform/gui/Forms.h"

#include <QCloseEvent>
#include <QDialog>
#include <QEvent>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"

namespace gui {

namespace {

// Routes the widget's show and close events to its form.
class TFormFilter : public QObject {
public:
  explicit TFormFilter(TForm *form) : form_(form) {}
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Show) {
      form_->HandleShow();
    } else if (event->type() == QEvent::Close) {
      if (!form_->HandleCloseRequest()) {
        event->ignore();
        return true;
      }
    }
    return false;
  }

private:
  TForm *form_;
};

} // namespace

const TClassInfo &TForm::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TForm>("TForm", &TComponent::StaticClassInfo(), [](TClassBuilder<TForm> &c) {
        c.Event("OnShow", &TForm::OnShow);
        c.Event("OnCloseQuery", &TForm::OnCloseQuery);
        c.Event("OnClose", &TForm::OnClose);
      });
  return info;
}

TForm::TForm(TComponent *owner, QWidget *widget) : TComponent(owner), widget_(widget) {
  SetIsForm(true);
  filter_ = std::make_unique<TFormFilter>(this);
  widget_->installEventFilter(filter_.get());
}

TForm::~TForm() {
  if (widget_) {
    widget_->removeEventFilter(filter_.get());
    delete widget_.data();
  }
}

std::string TForm::Caption() const { return widget_->windowTitle().toStdString(); }

void TForm::SetCaption(const std::string &caption) {
  QString text = QString::fromStdString(caption);
  if (widget_->windowTitle() != text)
    widget_->setWindowTitle(text);
}

void TForm::Show() { widget_->show(); }
bool TForm::Visible() const { return widget_->isVisible(); }

TModalResult TForm::ShowModal() {
  auto *dialog = qobject_cast<QDialog *>(widget_.data());
  if (!dialog)
    throw EInvalidOperation("Cannot make a visible window modal");
  modalResult_ = mrNone;
  dialog->exec();
  if (modalResult_ == mrNone)
    modalResult_ = mrCancel;
  return modalResult_;
}

void TForm::SetModalResult(TModalResult result) {
  modalResult_ = result;
  if (auto *dialog = qobject_cast<QDialog *>(widget_.data()); dialog && result != mrNone)
    dialog->done(result);
}

bool TForm::HandleCloseRequest() {
  if (closing_)
    return true;
  bool canClose = true;
  if (OnCloseQuery)
    OnCloseQuery(this, canClose);
  if (!canClose)
    return false;
  TCloseAction action = caHide;
  if (OnClose)
    OnClose(this, action);
  return action != caNone;
}

bool TForm::Close() {
  bool ok = false;
  Guarded([&] { ok = HandleCloseRequest(); });
  if (!ok)
    return false;
  closing_ = true;
  widget_->close();
  closing_ = false;
  return true;
}

void TForm::HandleShow() {
  if (OnShow)
    Guarded([&] { OnShow(this); });
}

} // namespace gui
