#pragma once
// What a running procedure shows in the window that started it: its status line, its
// progress bar and labels of its own. The window binds it to its controls, so nothing a
// procedure shows can land in another window; the command line prints it and the tests'
// script records it.
#include <string>

namespace core {

class ProcedureView {
 public:
  virtual ~ProcedureView() = default;

  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetProgress(int value, int maximum) = 0;
  // A label or control text of the procedure's window, by the control's name there.
  virtual void SetLabel(const std::string& control, const std::string& text) = 0;
};

}  // namespace core
