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
  shown_.ShowMessage(text, caption, icon);
}

bool RecordingInteraction::AskOkCancel(const std::string& text, const std::string& caption,
                                       core::MessageIcon icon) {
  const bool ok = shown_.AskOkCancel(text, caption, icon);
  if (!ok) KeepMessage(text, true);
  return ok;
}

int RecordingInteraction::ShowTip(const std::string& windowName, const std::string& text,
                                  int type) {
  const int answer = shown_.ShowTip(windowName, text, type);
  if (type == 0 || answer == 2) KeepMessage(text, answer == 2);
  return answer;
}

void RecordingInteraction::ShowProgressWindow(const core::ProgressWindowSpec& spec,
                                              const std::atomic<bool>& done) {
  shown_.ShowProgressWindow(spec, done);
}

void RecordingInteraction::SetStatus(const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = text;
  }
  shown_.SetStatus(text);
}

void RecordingInteraction::SetProgress(int value, int maximum) {
  shown_.SetProgress(value, maximum);
}

void RecordingInteraction::SetLabel(const std::string& control, const std::string& text) {
  shown_.SetLabel(control, text);
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
