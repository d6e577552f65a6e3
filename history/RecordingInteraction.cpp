#include "history/RecordingInteraction.h"

namespace history {

void RecordingInteraction::KeepMessage(const std::string& text, bool cancel) {
  std::lock_guard<std::mutex> lock(mutex_);
  message_ = text;
  cancelled_ = cancelled_ || cancel;
}

void RecordingInteraction::ShowMessage(const std::string& text, const std::string& caption,
                                       core::MessageIcon icon) {
  KeepMessage(text);
  ForwardingInteraction::ShowMessage(text, caption, icon);
}

bool RecordingInteraction::AskOkCancel(const std::string& text, const std::string& caption,
                                       core::MessageIcon icon) {
  const bool ok = ForwardingInteraction::AskOkCancel(text, caption, icon);
  if (!ok) KeepMessage(text, true);
  return ok;
}

int RecordingInteraction::ShowTip(const std::string& windowName, const std::string& text,
                                  int type) {
  const int answer = ForwardingInteraction::ShowTip(windowName, text, type);
  if (type == 0 || answer == 2) KeepMessage(text, answer == 2);
  return answer;
}

void RecordingInteraction::SetStatus(const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = text;
  }
  ForwardingInteraction::SetStatus(text);
}

void RecordingInteraction::Begin() {
  std::lock_guard<std::mutex> lock(mutex_);
  message_.clear();
  status_.clear();
  cancelled_ = false;
}

bool RecordingInteraction::cancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

std::string RecordingInteraction::reason() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return message_.empty() ? status_ : message_;
}

}  // namespace history
