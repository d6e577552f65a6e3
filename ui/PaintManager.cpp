#include "ui/PaintManager.h"

#include <QApplication>

#include "ui/Control.h"

namespace ui {
namespace {
QString& ResourcePath() {
  static QString path;
  return path;
}
}  // namespace

void PaintManager::SetResourcePath(const QString& folder) { ResourcePath() = folder; }
QString PaintManager::GetResourcePath() { return ResourcePath(); }

void PaintManager::SendNotify(Control* sender, const QString& type, int wParam) {
  if (!notifier_) return;
  TNotifyUI msg{type, sender, wParam};
  notifier_->Notify(msg);
}

Control* PaintManager::FindControl(const QString& name) const {
  if (!window_ || name.isEmpty()) return nullptr;
  // The first widget of that name that belongs to this window, not to a child window.
  const auto widgets = window_->findChildren<QWidget*>(name);
  for (QWidget* w : widgets) {
    Control* c = ControlOf(w);
    if (c && c->manager() == this) return c;
  }
  return nullptr;
}

void PaintManager::AddFont(int id, const QFont& font, bool isDefault) {
  fonts_[id] = font;
  if (isDefault || !hasDefaultFont_) {
    defaultFont_ = font;
    hasDefaultFont_ = true;
  }
}

QFont PaintManager::Font(int index) const {
  auto it = fonts_.find(index);
  if (it != fonts_.end()) return *it;
  return hasDefaultFont_ ? defaultFont_ : QApplication::font();
}

void PaintManager::AddDefaultAttributes(const QString& controlClass, const QString& attributes) {
  defaults_[controlClass.toLower()] = attributes;
}

QString PaintManager::DefaultAttributes(const QString& controlClass) const {
  return defaults_.value(controlClass.toLower());
}

}  // namespace ui
