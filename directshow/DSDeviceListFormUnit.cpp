#include "directshow/DSDeviceListFormUnit.h"

#include <cctype>

namespace {

TDSDeviceListViewFactory &ViewFactory() {
  static TDSDeviceListViewFactory factory;
  return factory;
}

bool SameTextUpper(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

} // namespace

TDSDeviceListViewFactory SetDSDeviceListViewFactory(TDSDeviceListViewFactory factory) {
  TDSDeviceListViewFactory previous = std::move(ViewFactory());
  ViewFactory() = std::move(factory);
  return previous;
}

TDSDeviceListForm::TDSDeviceListForm() {
  items_.Add("None");
  items_.Add("Default");
}

std::string TDSDeviceListForm::SelectedText() const {
  if (itemIndex_ < 0 || itemIndex_ >= items_.Count())
    return {};
  return items_.Strings(itemIndex_);
}

bool TDSDeviceListForm::Execute(const std::string &name) {
  itemIndex_ = 0;
  for (int i = 0; i < items_.Count(); ++i)
    if (SameTextUpper(items_.Strings(i), name)) {
      itemIndex_ = i;
      break;
    }
  modalResult_ = mrNone;
  if (!ViewFactory())
    return false;
  std::unique_ptr<IDSDeviceListView> view = ViewFactory()();
  if (!view)
    return false;
  view->ShowModal(*this);
  return modalResult_ == mrOk;
}
