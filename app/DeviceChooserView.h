// The window of the media layer's device chooser: the list chooser widget
// showing a TDSDeviceListForm. InstallDeviceChooserView makes the device
// choosers of the capture and output components open it.
#pragma once

#include <memory>

#include "directshow/DSDeviceListFormUnit.h"

class TDeviceChooserView : public IDSDeviceListView {
public:
  void ShowModal(TDSDeviceListForm &form) override;
};

void InstallDeviceChooserView();
