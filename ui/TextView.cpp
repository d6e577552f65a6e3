#include "ui/TextView.h"

namespace ui {
namespace {

QString Css(const QColor& c) { return c.isValid() ? c.name(QColor::HexArgb) : "transparent"; }

}  // namespace

TextView::TextView(QWidget* parent) : QPlainTextEdit(parent), Control("RichEditUI") {
  setReadOnly(true);
  // Read-only text still takes the focus, so the keyboard can scroll it.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TextView::SetText(const QString& text) {
  text_ = text;
  setPlainText(text);
}

bool TextView::SetAttribute(const QString& name, const QString& value) {
  if (name == "readonly")
    setReadOnly(ParseBool(value));
  else if (name == "text")
    SetText(value);
  else if (!Control::SetAttribute(name, value))
    return false;
  Restyle();
  return true;
}

void TextView::SetManager(PaintManager* manager) {
  Control::SetManager(manager);
  Restyle();
}

void TextView::Restyle() {
  const QMargins& p = look_.textPadding;
  const QColor focus = look_.focusBorder.isValid() ? look_.focusBorder : QColor(0x02, 0x8C, 0xF1);
  setStyleSheet(QString("QPlainTextEdit { background: %1; color: %2; border: %3px solid %4;"
                        " border-radius: %5px; padding: %6px %7px %8px %9px; }"
                        "QPlainTextEdit:focus { border-color: %10; }"
                        "QScrollBar:vertical { width: 8px; background: transparent; }"
                        "QScrollBar::handle:vertical { background: #FF94A3B8; border-radius: 4px;"
                        " min-height: 24px; }"
                        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }")
                    .arg(Css(look_.bk.isValid() ? look_.bk : QColor(Qt::white)), Css(look_.text))
                    .arg(std::max(1, look_.borderSize))
                    .arg(Css(look_.border))
                    .arg(look_.borderRound)
                    .arg(p.top())
                    .arg(p.right())
                    .arg(p.bottom())
                    .arg(p.left())
                    .arg(Css(focus)));
}

}  // namespace ui
