#pragma once
// "RichEdit": a multi-line text that scrolls (wheel, keys and scroll bar) instead of being
// cut at its box; read-only unless the layout says otherwise.
#include <QPlainTextEdit>

#include "ui/Control.h"

namespace ui {

class TextView : public QPlainTextEdit, public Control {
 public:
  explicit TextView(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  void SetText(const QString& text) override;
  QString text() const override { return toPlainText(); }
  bool SetAttribute(const QString& name, const QString& value) override;
  void SetManager(PaintManager* manager) override;

 private:
  void Restyle();
};

}  // namespace ui
