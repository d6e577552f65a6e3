#pragma once
// The base of the program's windows: the layout file, the class name, and two steps run
// after the layout is built: first the control look-up, then the after-start-up step.
#include "ui/WindowImplBase.h"

namespace ui {

class GUIWnd : public WindowImplBase {
 public:
  virtual QString GetSkinFolder() const { return "Skin"; }
  virtual QString GetZIPFileName() const { return "Skin.zip"; }

 protected:
  // After start-up; may be empty.
  virtual void OnPrepare() {}
  // Find the window's controls by name and fill them.
  virtual void OnFindControl() {}

  void InitWindow() final {
    OnFindControl();
    OnPrepare();
  }
};

}  // namespace ui
