#pragma once
// A page built from a layout file chosen by its creator: the device page's extra tabs,
// and the main frame's pages that have no behaviour of their own yet.
#include "ui/GUIWnd.h"

namespace ui {

class DeviceBaseWnd : public GUIWnd {
 public:
  explicit DeviceBaseWnd(QString layoutFile, QString className = "DeviceBaseWnd")
      : layoutFile_(std::move(layoutFile)), className_(std::move(className)) {}

 protected:
  QString GetSkinFile() override { return layoutFile_; }
  QString GetWindowClassName() const override { return className_; }

 private:
  QString layoutFile_;
  QString className_;
};

}  // namespace ui
