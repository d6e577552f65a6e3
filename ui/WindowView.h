#pragma once
// The view of a procedure bound to the window that started it: its status line, progress
// bar and labels are that window's controls, found by name in that window only. Any thread
// may call it; each change is carried to the UI thread in order, and a change that arrives
// after the window has gone is dropped.
#include <QPointer>
#include <QString>

#include "core/ProcedureView.h"

namespace ui {

class WindowImplBase;

class WindowView : public core::ProcedureView {
 public:
  // Construct on the UI thread, with the window's status and progress control names.
  explicit WindowView(WindowImplBase& window, QString statusControl = "textTip",
                      QString progressControl = "UpdateProgress");

  void SetStatus(const std::string& text) override;
  void SetProgress(int value, int maximum) override;
  void SetLabel(const std::string& control, const std::string& text) override;

 private:
  QPointer<WindowImplBase> window_;
  QString statusControl_;
  QString progressControl_;
};

}  // namespace ui
