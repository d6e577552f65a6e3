#include "ui/GuiInteraction.h"

#include <QApplication>

#include "ui/CProgressWnd.h"
#include "ui/CTipWnd.h"
#include "ui/Controls.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"
#include "ui/WindowImplBase.h"

namespace ui {
namespace {

// Message boxes in the program's own look, with the caption as window title (where a
// window is looked for by name, a box is found by its caption).
bool RunBox(const std::string& text, const std::string& caption, bool withCancel) {
  return CTipWnd::ShowBox(QApplication::activeWindow(), Q(caption), Q(text), withCancel);
}

// The named control in the active window first, then in any window of the program.
Control* FindAnywhere(const QString& name) {
  QList<QWidget*> windows;
  if (QWidget* active = QApplication::activeWindow()) windows.append(active);
  windows.append(QApplication::topLevelWidgets());
  for (QWidget* top : windows) {
    for (auto* w : top->findChildren<QWidget*>(name))
      if (Control* c = ControlOf(w)) return c;
  }
  return nullptr;
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

void GuiInteraction::SetStatus(const std::string& text) {
  SetLabel(statusControl_.toStdString(), text);
}

void GuiInteraction::SetProgress(int value, int maximum) {
  PostToUi([name = progressControl_, value, maximum] {
    if (auto* bar = dynamic_cast<Progress*>(FindAnywhere(name))) {
      bar->SetMaxValue(maximum);
      bar->SetValue(value);
    }
  });
}

void GuiInteraction::SetLabel(const std::string& control, const std::string& text) {
  PostToUi([name = Q(control), text = Q(text)] {
    if (Control* c = FindAnywhere(name)) c->SetText(text);
  });
}

}  // namespace ui
