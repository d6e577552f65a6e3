#pragma once
// The splash window shown while the program starts.
#include "ui/GUIWnd.h"

namespace ui {

class LoadWnd : public GUIWnd {
 protected:
  QString GetSkinFile() override { return "LoadWnd.xml"; }
  QString GetWindowClassName() const override { return "LoadWnd"; }
  // The splash cannot be closed by the user; start-up closes it.
  void OnSystemClose() override {}
};

}  // namespace ui
