#include "app/DeviceChooserView.h"

#include <string>
#include <vector>

#include "platform/gui/ListChooser.h"

void TDeviceChooserView::ShowModal(TDSDeviceListForm &form) {
  gui::TListChooser chooser;
  chooser.setWindowTitle(QString::fromStdString(form.Caption()));
  std::vector<std::string> items;
  for (int i = 0; i < form.Items().Count(); ++i)
    items.push_back(form.Items().Strings(i));
  chooser.SetItems(items, form.ItemIndex());
  // The form decides when the chooser ends: it closes once a result is set.
  auto finish = [&] {
    if (form.ModalResult() != mrNone)
      chooser.done(form.ModalResult());
  };
  chooser.OnSelect = [&](int index) { form.SetItemIndex(index); };
  chooser.OnOK = [&] {
    form.SetModalResult(mrOk);
    finish();
  };
  chooser.OnCancel = [&] {
    form.SetModalResult(mrCancel);
    finish();
  };
  chooser.OnDoubleClick = [&] {
    form.ListBoxDblClick();
    finish();
  };
  chooser.exec();
  if (form.ModalResult() == mrNone)
    form.SetModalResult(mrCancel);
}

void InstallDeviceChooserView() {
  SetDSDeviceListViewFactory([] { return std::make_unique<TDeviceChooserView>(); });
}
