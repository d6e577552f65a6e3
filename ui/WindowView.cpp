#include "ui/WindowView.h"

#include "ui/Controls.h"
#include "ui/UiThread.h"
#include "ui/WindowImplBase.h"

namespace ui {
namespace {

template <class Change>
void PostToNamed(const QPointer<WindowImplBase>& window, const QString& name, Change change) {
  PostToUi([window, name, change = std::move(change)] {
    if (!window) return;
    if (Control* c = window->FindControl(name)) change(*c);
  });
}

}  // namespace

WindowView::WindowView(WindowImplBase& window, QString statusControl, QString progressControl)
    : window_(&window),
      statusControl_(std::move(statusControl)),
      progressControl_(std::move(progressControl)) {}

void WindowView::SetStatus(const std::string& text) {
  PostToNamed(window_, statusControl_,
              [text = QString::fromStdString(text)](Control& c) { c.SetText(text); });
}

void WindowView::SetProgress(int value, int maximum) {
  PostToNamed(window_, progressControl_, [value, maximum](Control& c) {
    if (auto* bar = dynamic_cast<Progress*>(&c)) {
      bar->SetMaxValue(maximum);
      bar->SetValue(value);
    }
  });
}

void WindowView::SetLabel(const std::string& control, const std::string& text) {
  PostToNamed(window_, QString::fromStdString(control),
              [text = QString::fromStdString(text)](Control& c) { c.SetText(text); });
}

}  // namespace ui
