#pragma once
// The one way procedures reach the user. The GUI implements it with windows, the
// command-line front end with the terminal, and the tests with a script that answers
// questions and records what was shown. Any thread may call it; an implementation that
// needs its own thread (the GUI) carries the call over and blocks the caller until it ran.
//
// Messages, questions, tips and the progress window belong to the program; the view part
// (status, progress, labels) belongs to the window that started the procedure, which hands
// it in beside the program's interaction (see ForwardingInteraction).
#include <atomic>
#include <string>

#include "core/ProcedureView.h"

namespace core {

enum class MessageIcon { None, Error, Information, Warning };

// The timed progress window (CProgressWnd): tip, title and step texts and a maximum in
// one-second steps. The owner sets `done` when its work has finished.
struct ProgressWindowSpec {
  std::string windowName;
  std::string tip;
  std::string title;
  std::string step;
  int maximum = 0;
};

class Interaction : public ProcedureView {
 public:
  ~Interaction() override = default;

  // A modal message box. `caption` is empty where the program shows none.
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;
  // A modal OK/Cancel message box; true for OK.
  virtual bool AskOkCancel(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;
  // The message window (CTipWnd) under its window name: type 0 has OK only, type 1 OK and
  // Cancel. Returns 1 for OK (also when closed otherwise) and 2 for Cancel.
  virtual int ShowTip(const std::string& windowName, const std::string& text, int type) = 0;
  // Runs the timed progress window until it closes by its tick rule.
  virtual void ShowProgressWindow(const ProgressWindowSpec& spec,
                                  const std::atomic<bool>& done) = 0;
};

// An implementation that shows nothing and answers OK; for tools and early start-up.
class SilentInteraction : public Interaction {
 public:
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  bool AskOkCancel(const std::string&, const std::string&, MessageIcon) override { return true; }
  int ShowTip(const std::string&, const std::string&, int) override { return 1; }
  void ShowProgressWindow(const ProgressWindowSpec&, const std::atomic<bool>&) override {}
  void SetStatus(const std::string&) override {}
  void SetProgress(int, int) override {}
  void SetLabel(const std::string&, const std::string&) override {}
};

}  // namespace core
