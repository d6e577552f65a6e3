#include "ui/GuiInteraction.h"

#include <QApplication>

#include "ui/CProgressWnd.h"
#include "ui/CTipWnd.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace ui {
namespace {

// Message boxes in the program's own look, with the caption as window title (where a
// window is looked for by name, a box is found by its caption).
bool RunBox(const std::string& text, const std::string& caption, bool withCancel) {
  return CTipWnd::ShowBox(QApplication::activeWindow(), Q(caption), Q(text), withCancel);
}

}  // namespace

void GuiInteraction::ShowMessage(const std::string& text, const std::string& caption,
                                 core::MessageIcon) {
  RunOnUi([&] { RunBox(text, caption, false); });
}

bool GuiInteraction::AskOkCancel(const std::string& text, const std::string& caption,
                                 core::MessageIcon) {
  return CallOnUi<bool>([&] { return RunBox(text, caption, true); });
}

int GuiInteraction::ShowTip(const std::string& windowName, const std::string& text, int type) {
  return CallOnUi<int>(
      [&] { return CTipWnd::Show(QApplication::activeWindow(), Q(windowName), Q(text), type); });
}

void GuiInteraction::ShowProgressWindow(const core::ProgressWindowSpec& spec,
                                        const std::atomic<bool>& done) {
  RunOnUi([&] {
    auto* window = new CProgressWnd(Q(spec.tip), Q(spec.title), Q(spec.step), spec.maximum, &done);
    window->Create(QApplication::activeWindow(), Q(spec.windowName), false);
    window->CenterWindow();
    window->ShowModal();
  });
}

}  // namespace ui
