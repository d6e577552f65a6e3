#pragma once
// The layout callback of every window: the custom element "AppManagerWnd" becomes a
// COwnerUI container holding the layout "AppManagerWnd.xml"; every other name is left to
// the built-in controls.
#include "ui/Containers.h"
#include "ui/DialogBuilder.h"

namespace ui {

class COwnerUI : public Container {
 public:
  COwnerUI() : Container("OwnerUI", Container::Kind::Vertical) {}
};

class CDialogBuilderCallbackEx : public IDialogBuilderCallback {
 public:
  Control* CreateControl(const QString& elementName) override;
  // The manager the inner layout is built with (the window being built).
  void SetManager(PaintManager* manager) { manager_ = manager; }

 private:
  PaintManager* manager_ = nullptr;
};

}  // namespace ui
