// The device chooser: its logic here, its window behind a seam.
//
// TDSDeviceListForm holds what the chooser shows (the list items, starting
// with "None" and "Default", the selected index) and how it ends (the modal
// result). The window that shows it is an IDSDeviceListView, installed by
// the program (platform/gui provides the widget); the view shows the list
// modally centred over the window that was in the foreground, lets the user
// change the selection and closes when ModalResult becomes non-zero (OK,
// Cancel, a double click through ListBoxDblClick, or closing the window as
// Cancel). Without an installed view the chooser cannot open and Execute
// answers false, changing nothing.
//
// Threads: main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/classlib/Lists.h"

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

class TDSDeviceListForm;

class IDSDeviceListView {
public:
  virtual ~IDSDeviceListView() = default;
  // Shows the form modally; returns when form.ModalResult() is not mrNone
  // (the view sets mrCancel when the user closes the window).
  virtual void ShowModal(TDSDeviceListForm &form) = 0;
};

using TDSDeviceListViewFactory = std::function<std::unique_ptr<IDSDeviceListView>()>;
// Installs the factory of the chooser's window; returns the previous one.
TDSDeviceListViewFactory SetDSDeviceListViewFactory(TDSDeviceListViewFactory factory);

class TDSDeviceListForm {
public:
  // Caption "Devices"; the list holds "None" and then "Default".
  TDSDeviceListForm();
  TDSDeviceListForm(const TDSDeviceListForm &) = delete;
  TDSDeviceListForm &operator=(const TDSDeviceListForm &) = delete;

  TStringList &Items() { return items_; }
  const std::string &Caption() const { return caption_; }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index) { itemIndex_ = index; }
  // The text of the selected item; empty without a selection.
  std::string SelectedText() const;
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  // A double click on an item closes the chooser as OK.
  void ListBoxDblClick() { modalResult_ = mrOk; }

  // Selects item 0, then the first item equal to name ignoring letter case;
  // shows the chooser; true when it closed with OK.
  bool Execute(const std::string &name);

private:
  std::string caption_ = "Devices";
  TStringList items_;
  int itemIndex_ = -1;
  int modalResult_ = mrNone;
};
