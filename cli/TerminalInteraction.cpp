#include "cli/TerminalInteraction.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "core/ProgressTicker.h"
#include "platform/Clock.h"

namespace cli {
namespace {

const char* IconWord(core::MessageIcon icon) {
  switch (icon) {
    case core::MessageIcon::Error:
      return "error";
    case core::MessageIcon::Information:
      return "information";
    case core::MessageIcon::Warning:
      return "warning";
    default:
      return "message";
  }
}

// A message box as one line: "[warning] Caption: text".
std::string BoxLine(const std::string& text, const std::string& caption, core::MessageIcon icon) {
  return "[" + std::string(IconWord(icon)) + "] " + (caption.empty() ? "" : caption + ": ") + text;
}

}  // namespace

void TerminalInteraction::ShowMessage(const std::string& text, const std::string& caption,
                                      core::MessageIcon icon) {
  std::cerr << BoxLine(text, caption, icon) << std::endl;
}

bool TerminalInteraction::Ask(const std::string& prompt) {
  std::cerr << prompt;
  if (answer_) {
    std::cerr << (*answer_ ? " [OK]" : " [Cancel]") << std::endl;
    return *answer_;
  }
  if (!::isatty(STDIN_FILENO)) {
    std::cerr << " [Cancel: no terminal to answer]" << std::endl;
    return false;
  }
  std::cerr << " [y/N] " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return false;
  return !line.empty() && (line[0] == 'y' || line[0] == 'Y');
}

bool TerminalInteraction::AskOkCancel(const std::string& text, const std::string& caption,
                                      core::MessageIcon icon) {
  return Ask(BoxLine(text, caption, icon));
}

int TerminalInteraction::ShowTip(const std::string& windowName, const std::string& text, int type) {
  if (type == 0) {
    std::cerr << "[" << windowName << "] " << text << std::endl;
    return 1;
  }
  return Ask("[" + windowName + "] " + text) ? 1 : 2;
}

void TerminalInteraction::ShowProgressWindow(const core::ProgressWindowSpec& spec,
                                             const std::atomic<bool>& done) {
  std::cerr << "[" << spec.windowName << "] " << spec.title << " " << spec.step << " " << spec.tip
            << std::endl;
  core::ProgressTicker ticker(spec.maximum);
  do {
    platform::SleepMs(1000);
    std::cerr << "\r  " << ticker.value() << "/" << spec.maximum << std::flush;
  } while (!ticker.Tick(done.load()));
  std::cerr << "\r  " << ticker.value() << "/" << spec.maximum << std::endl;
}

void TerminalInteraction::SetStatus(const std::string& text) {
  std::cerr << "[status] " << text << std::endl;
}

void TerminalInteraction::SetProgress(int value, int maximum) {
  // A counter past its maximum (or below zero) still draws a bar within 0 to 100 %.
  const long long raw = maximum > 0 ? 100LL * value / maximum : 0;
  const int percent = static_cast<int>(raw < 0 ? 0 : (raw > 100 ? 100 : raw));
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  std::cerr << "\r[progress] " << percent << "%" << (percent >= 100 ? "\n" : "") << std::flush;
}

void TerminalInteraction::SetLabel(const std::string& control, const std::string& text) {
  std::cerr << "[" << control << "] " << text << std::endl;
}

}  // namespace cli
