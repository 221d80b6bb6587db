#include "platform/gui/Actions.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QPointer>
#include <algorithm>
#include <type_traits>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"

namespace gui {

namespace {

std::vector<TActionList *> &AllLists() {
  static std::vector<TActionList *> lists;
  return lists;
}

template <class T> bool Store(T &field, const T &value) {
  if (field == value)
    return false;
  field = value;
  return true;
}

} // namespace

const TClassInfo &TAction::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TAction>(
      "TAction", &TComponent::StaticClassInfo(), [](TClassBuilder<TAction> &c) {
        c.String("Caption", &TAction::Caption, &TAction::SetCaption);
        c.String("Category", &TAction::Category, &TAction::SetCategory);
        c.Boolean("Checked", &TAction::Checked, &TAction::SetChecked, false);
        c.Boolean("Enabled", &TAction::Enabled, &TAction::SetEnabled, true);
        c.String("Hint", &TAction::Hint, &TAction::SetHint);
        c.Integer("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex, -1);
        c.String("ShortCut", &TAction::ShortCut, &TAction::SetShortCut);
        c.Boolean("Visible", &TAction::Visible, &TAction::SetVisible, true);
        c.Event("OnExecute", &TAction::OnExecute);
        c.Event("OnUpdate", &TAction::OnUpdate);
        c.Object("ActionList", &TAction::ActionList, &TAction::SetActionList);
      });
  return info;
}

TAction::TAction(TComponent *owner) : TComponent(owner), alive_(std::make_shared<bool>(true)) {}

TAction::~TAction() { SetActionList(nullptr); }

void TAction::BeforeDestruction() {
  alive_.reset(); // controls stop calling it
  TComponent::BeforeDestruction();
}

void TAction::SetCaption(const std::string &value) {
  if (Store(caption_, value))
    Changed();
}
void TAction::SetEnabled(bool value) {
  if (Store(enabled_, value))
    Changed();
}
void TAction::SetChecked(bool value) {
  if (Store(checked_, value))
    Changed();
}
void TAction::SetVisible(bool value) {
  if (Store(visible_, value))
    Changed();
}
void TAction::SetHint(const std::string &value) {
  if (Store(hint_, value))
    Changed();
}
void TAction::SetShortCut(const std::string &value) {
  if (Store(shortCut_, value))
    Changed();
}

void TAction::SetActionList(TActionList *list) {
  if (list == list_)
    return;
  if (list_) {
    auto &a = list_->actions_;
    a.erase(std::remove(a.begin(), a.end(), this), a.end());
  }
  list_ = list;
  if (list_)
    list_->actions_.push_back(this);
}

bool TAction::Execute() {
  if (!enabled_)
    return false;
  bool handled = false;
  if (list_ && list_->OnExecute)
    list_->OnExecute(this, handled);
  if (handled)
    return true;
  if (!OnExecute)
    return false;
  OnExecute(this);
  return true;
}

bool TAction::Update() {
  bool handled = false;
  if (list_ && list_->OnUpdate)
    list_->OnUpdate(this, handled);
  if (handled)
    return true;
  if (!OnUpdate)
    return false;
  OnUpdate(this);
  return true;
}

int TAction::AddChangeListener(std::function<void(TAction &)> listener) {
  int id = nextListener_++;
  listeners_.emplace(id, std::move(listener));
  return id;
}

void TAction::Changed() {
  ++changeCount_;
  auto listeners = listeners_;
  for (auto &[id, l] : listeners)
    l(*this);
}

const TClassInfo &TActionList::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TActionList>(
      "TActionList", &TComponent::StaticClassInfo(), [](TClassBuilder<TActionList> &c) {
        c.Event("OnExecute", &TActionList::OnExecute);
        c.Event("OnUpdate", &TActionList::OnUpdate);
      });
  return info;
}

const TClassInfo &TActionManager::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TActionManager>("TActionManager", &TActionList::StaticClassInfo());
  return info;
}

TActionList::TActionList(TComponent *owner) : TComponent(owner) { AllLists().push_back(this); }

TActionList::~TActionList() {
  auto &all = AllLists();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  for (TAction *a : std::vector<TAction *>(actions_))
    a->SetActionList(nullptr);
}

void TActionList::UpdateActions() {
  if (InState(csLoading) || InState(csDestroying))
    return;
  // A copy: an update may add or free actions.
  for (TAction *a : std::vector<TAction *>(actions_))
    if (std::find(actions_.begin(), actions_.end(), a) != actions_.end())
      a->Update();
}

void TActionList::UpdateAll() {
  for (TActionList *list : std::vector<TActionList *>(AllLists()))
    if (std::find(AllLists().begin(), AllLists().end(), list) != AllLists().end())
      list->UpdateActions();
}

namespace {

template <class W> void Show(TAction &a, W *w, bool showCaption) {
  if (showCaption)
    w->setText(QString::fromStdString(a.Caption()));
  w->setEnabled(a.Enabled());
  w->setVisible(a.Visible());
  w->setToolTip(QString::fromStdString(a.Hint().substr(0, a.Hint().find('|'))));
  if (w->isCheckable())
    w->setChecked(a.Checked());
  if constexpr (std::is_same_v<W, QAction>)
    w->setShortcut(QKeySequence(QString::fromStdString(a.ShortCut())));
}

template <class W> void Bind(TAction *action, W *widget, bool showCaption) {
  Show(*action, widget, showCaption);
  QPointer<W> guard(widget);
  action->AddChangeListener([guard, showCaption](TAction &a) {
    if (guard)
      Show(a, guard.data(), showCaption);
  });
}

} // namespace

void BindAction(TAction *action, QAction *item) {
  Bind(action, item, true);
  std::weak_ptr<bool> alive = action->alive_;
  QObject::connect(item, &QAction::triggered, item, [action, alive] {
    if (alive.lock())
      Guarded([action] { action->Execute(); });
  });
}

void BindAction(TAction *action, QAbstractButton *button, bool showCaption) {
  Bind(action, button, showCaption);
  std::weak_ptr<bool> alive = action->alive_;
  QObject::connect(button, &QAbstractButton::clicked, button, [action, alive] {
    if (alive.lock())
      Guarded([action] { action->Execute(); });
  });
}

void RegisterActionClasses() {
  RegisterClass(TAction::StaticClassInfo());
  RegisterClass(TActionList::StaticClassInfo());
  RegisterClass(TActionManager::StaticClassInfo());
}

} // namespace gui
