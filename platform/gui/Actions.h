// Actions and action lists of the class library, and their binding to Qt
// menus and buttons.
//
// An action holds what its controls show (Caption, Enabled, Checked,
// Visible, Hint, ShortCut) and what they do (OnExecute). The idle pass
// updates every action list: the list's OnUpdate(Action, Handled) for each
// action, then the action's own OnUpdate unless the list handled it. Every
// setter stores and tells the bound controls only when the value differs,
// so an update that finds nothing changed changes nothing on screen, and
// the repaint → idle → repaint spin cannot start. ChangeCount counts the
// real changes, for tests.
//
// Main thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/Component.h"
#include "platform/gui/NotifyEvent.h"

class QAction;
class QAbstractButton;

namespace gui {

class TActionList;

class TAction : public TComponent {
  CLASSLIB_CLASS(TAction)

public:
  explicit TAction(TComponent *owner);
  ~TAction() override;
  void BeforeDestruction() override;

  const std::string &Caption() const { return caption_; }
  void SetCaption(const std::string &value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const std::string &Hint() const { return hint_; }
  void SetHint(const std::string &value);
  // In the platform's text form: "Ctrl+O".
  const std::string &ShortCut() const { return shortCut_; }
  void SetShortCut(const std::string &value);
  const std::string &Category() const { return category_; }
  void SetCategory(const std::string &value) { category_ = value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { imageIndex_ = value; }

  TActionList *ActionList() const { return list_; }
  void SetActionList(TActionList *list);

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  // Runs OnExecute when the action is enabled; true when a handler ran.
  bool Execute();
  // The idle update of this action; true when a handler ran.
  bool Update();

  // Told after every change of what the controls show.
  int AddChangeListener(std::function<void(TAction &)> listener);
  int ChangeCount() const { return changeCount_; }

private:
  friend void BindAction(TAction *action, QAction *item);
  friend void BindAction(TAction *action, QAbstractButton *button, bool showCaption);
  void Changed();

  std::string caption_;
  bool enabled_ = true;
  bool checked_ = false;
  bool visible_ = true;
  std::string hint_;
  std::string shortCut_;
  std::string category_;
  int imageIndex_ = -1;
  TActionList *list_ = nullptr;
  int changeCount_ = 0;
  int nextListener_ = 1;
  std::map<int, std::function<void(TAction &)>> listeners_;
  std::shared_ptr<bool> alive_;
};

class TActionList : public TComponent {
  CLASSLIB_CLASS(TActionList)

public:
  explicit TActionList(TComponent *owner);
  ~TActionList() override;

  using TActionEvent = TEvent<void(TAction *Action, bool &Handled)>;
  TActionEvent OnUpdate;
  TActionEvent OnExecute;

  // Updates every action of the list (the idle pass).
  void UpdateActions();
  // Updates every action list that exists.
  static void UpdateAll();

private:
  friend class TAction;
  std::vector<TAction *> actions_;
};

// The action list behind a window's main menu: an action list under its own
// class name, so a form names the menu's actions apart from the buttons'.
class TActionManager : public TActionList {
  CLASSLIB_CLASS(TActionManager)

public:
  explicit TActionManager(TComponent *owner) : TActionList(owner) {}
};

// Shows action on a menu item or a button and runs it when they are
// triggered (exceptions go to the application's display). The binding ends
// with either side. A button bound with showCaption false keeps its own text.
void BindAction(TAction *action, QAction *item);
void BindAction(TAction *action, QAbstractButton *button, bool showCaption = true);

// Registers TAction, TActionList and TActionManager for form loading.
void RegisterActionClasses();

} // namespace gui
