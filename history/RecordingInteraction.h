#pragma once
// Passes everything a procedure shows on to the interaction it wraps, and remembers the last
// message box and the last status line: the reason its history record gives. A question the
// user answered with "go on" says nothing about how the procedure ended and is not kept; one
// answered with Cancel is.
#include <mutex>
#include <string>

#include "core/ForwardingInteraction.h"

namespace history {

class RecordingInteraction : public core::ForwardingInteraction {
 public:
  explicit RecordingInteraction(core::Interaction& shown) : ForwardingInteraction(shown) {}

  void ShowMessage(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override;
  bool AskOkCancel(const std::string& text, const std::string& caption,
                   core::MessageIcon icon) override;
  int ShowTip(const std::string& windowName, const std::string& text, int type) override;
  void SetStatus(const std::string& text) override;

  // A new procedure begins: what was shown before is forgotten.
  void Begin();
  // The last message box text, else the last status line; empty when neither was shown.
  std::string reason() const;
  // A question was answered with Cancel since Begin.
  bool cancelled() const;

 private:
  void KeepMessage(const std::string& text, bool cancel = false);

  mutable std::mutex mutex_;
  std::string message_;
  std::string status_;
  bool cancelled_ = false;
};

}  // namespace history
