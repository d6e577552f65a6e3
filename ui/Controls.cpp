#include "ui/Controls.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

#include "ui/PaintManager.h"

namespace ui {
namespace {

QString Css(const QColor& c) { return c.isValid() ? c.name(QColor::HexArgb) : "transparent"; }

// A QSS colour: QSS reads #AARRGGBB like the layouts do.
QString FieldStyle(const char* widget, const ControlLook& look, const QString& skin) {
  const QColor border = look.border.isValid() ? look.border : QColor(0xD1, 0xD5, 0xDB);
  const QColor focus = look.focusBorder.isValid() ? look.focusBorder : QColor(0x02, 0x8C, 0xF1);
  QString s =
      QString(
          "%1 { background: %2; color: %3; border: 1px solid %4; border-radius: %5px;"
          " padding: %6px %7px %8px %9px; }"
          "%1:focus { border-color: %10; }"
          "%1:disabled { background: #FFF1F5F9; color: #FF576477; border-color: #FFE5E7EB; }")
          .arg(widget, Css(look.bk.isValid() ? look.bk : QColor(Qt::white)), Css(look.text),
               Css(border))
          .arg(look.borderRound)
          .arg(look.textPadding.top())
          .arg(look.textPadding.right())
          .arg(look.textPadding.bottom())
          .arg(look.textPadding.left())
          .arg(Css(focus));
  if (QString(widget) == "QComboBox")
    s += QString(
             "QComboBox::drop-down { border: none; width: 24px; }"
             "QComboBox::down-arrow { image: url(%1/combo_arrow.png); width: 12px; height: 12px; }"
             "QComboBox QAbstractItemView { background: white; color: #FF1F2937;"
             " selection-background-color: #FFE8F3FE; selection-color: #FF1F2937;"
             " border: 1px solid #FFD1D5DB; outline: none; }"
             // The entries are drawn by the view's items, which would otherwise take
             // the closed box's text colour (light on the dark header).
             "QComboBox QAbstractItemView::item { color: #FF1F2937; background: white;"
             " min-height: 24px; padding: 0 8px; }"
             "QComboBox QAbstractItemView::item:selected { color: #FF1F2937;"
             " background: #FFE8F3FE; }")
             .arg(skin);
  return s;
}

}  // namespace

// ---- Label ----
Label::Label(const QString& className, QWidget* parent) : QWidget(parent), Control(className) {
  if (className == "TextUI") look_.wordBreak = true;
}

void Label::SetText(const QString& text) { Control::SetText(text); }

bool Label::SetAttribute(const QString& name, const QString& value) {
  return Control::SetAttribute(name, value);
}

void Label::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  LookState state;
  state.disabled = !isEnabled();
  PaintBox(painter, rect(), state);
  PaintLabelText(painter, rect(), state, text_);
}

void Label::mousePressEvent(QMouseEvent* e) { e->ignore(); }  // lets the window drag

// ---- Button ----
Button::Button(const QString& className, QWidget* parent) : QWidget(parent), Control(className) {
  look_.align = Qt::AlignCenter;
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setAttribute(Qt::WA_Hover);
}

bool Button::SetAttribute(const QString& name, const QString& value) {
  return Control::SetAttribute(name, value);
}

void Button::Activate() { Notify("click"); }

LookState Button::State() const {
  LookState s;
  s.hot = hot_;
  s.pushed = pushed_;
  s.disabled = !isEnabled();
  s.focused = hasFocus();
  return s;
}

void Button::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const LookState state = State();
  PaintBox(painter, rect(), state);
  PaintLabelText(painter, rect(), state, text_);
  PaintFocusRing(painter);
}

void Button::PaintFocusRing(QPainter& painter) {
  if (!hasFocus()) return;
  // Dark outside, light inside: the ring shows on light buttons and on the accent alike.
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  const qreal round = std::max(2, look_.borderRound);
  painter.setPen(QPen(QColor(0x0F, 0x17, 0x2A), 2));
  painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), round, round);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), round - 1, round - 1);
  painter.restore();
}

void Button::enterEvent(QEnterEvent*) {
  hot_ = true;
  update();
}
void Button::leaveEvent(QEvent*) {
  hot_ = false;
  pushed_ = false;
  update();
}
void Button::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pushed_ = true;
  update();
}
void Button::mouseReleaseEvent(QMouseEvent* e) {
  const bool click = pushed_ && rect().contains(e->position().toPoint());
  pushed_ = false;
  update();
  if (click && isEnabled()) Activate();
}
void Button::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
    Activate();
  else
    QWidget::keyPressEvent(e);
}

// ---- Option ----
Option::Option(const QString& className, QWidget* parent) : Button(className, parent) {
  checkBox_ = className == "CheckBoxUI";
  if (checkBox_) {
    look_.align = Qt::AlignLeft | Qt::AlignVCenter;
    look_.textPadding = QMargins(24, 0, 0, 0);
  }
}

bool Option::SetAttribute(const QString& name, const QString& value) {
  if (name == "group")
    group_ = value;
  else if (name == "selected")
    Selected(ParseBool(value), false);
  else
    return Button::SetAttribute(name, value);
  return true;
}

void Option::Selected(bool selected, bool notify) {
  if (selected_ == selected) return;
  selected_ = selected;
  if (selected_ && !group_.isEmpty() && parentWidget()) {
    // Options of a group share their window.
    // Options are not QObjects of their own kind: look them up as controls.
    for (QWidget* w : window()->findChildren<QWidget*>()) {
      auto* other = dynamic_cast<Option*>(w);
      if (other && other != this && other->group_ == group_ && other->manager() == manager())
        other->Selected(false, notify);
    }
  }
  update();
  if (notify) Notify("selectchanged");
}

void Option::Activate() {
  if (group_.isEmpty())
    Selected(!selected_);
  else
    Selected(true);
  Notify("click");
}

LookState Option::State() const {
  LookState s = Button::State();
  s.selected = selected_;
  return s;
}

void Option::paintEvent(QPaintEvent* e) {
  if (!checkBox_) return Button::paintEvent(e);
  QPainter painter(this);
  const LookState state = State();
  PaintBox(painter, rect(), state);
  // A plain check box drawn in the skin's accent colour.
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box(2.5, height() / 2.0 - 8, 16, 16);
  const QColor accent(0x02, 0x8C, 0xF1);
  painter.setPen(QPen(selected_ ? accent : QColor(0x9C, 0xA3, 0xAF), 1.2));
  painter.setBrush(selected_ ? accent : QColor(Qt::white));
  painter.drawRoundedRect(box, 3, 3);
  if (selected_) {
    QPainterPath tick;
    tick.moveTo(box.left() + 4, box.center().y());
    tick.lineTo(box.left() + 7, box.bottom() - 4);
    tick.lineTo(box.right() - 3.5, box.top() + 4.5);
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
  }
  PaintLabelText(painter, rect(), state, text_);
  PaintFocusRing(painter);
}

// ---- Edit ----
Edit::Edit(QWidget* parent) : QLineEdit(parent), Control("EditUI") {
  look_.textPadding = QMargins(8, 0, 8, 0);
  look_.borderRound = 4;
}

void Edit::SetText(const QString& text) {
  text_ = text;
  setText(text);
}

bool Edit::SetAttribute(const QString& name, const QString& value) {
  if (name == "readonly")
    setReadOnly(ParseBool(value));
  else if (name == "maxchar")
    setMaxLength(value.toInt());
  else if (name == "password")
    setEchoMode(ParseBool(value) ? Password : Normal);
  else if (name == "prompttext")
    setPlaceholderText(value);
  else if (!Control::SetAttribute(name, value))
    return false;
  Restyle();
  return true;
}

void Edit::SetManager(PaintManager* manager) {
  Control::SetManager(manager);
  Restyle();
}

void Edit::Restyle() { setStyleSheet(FieldStyle("QLineEdit", look_, skinFolder())); }

// ---- Combo ----
Combo::Combo(QWidget* parent) : QComboBox(parent), Control("ComboUI") {
  look_.textPadding = QMargins(8, 0, 4, 0);
  look_.borderRound = 4;
  // The list's entries drawn by an item delegate follow the list's own colours; the menu
  // delegate a styled box uses otherwise paints them in the closed box's text colour,
  // which on the dark title bar is light on the light list.
  setItemDelegate(new QStyledItemDelegate(this));
  setCurrentIndex(-1);
  connect(this, QOverload<int>::of(&QComboBox::activated), this,
          [this](int position) { Notify("itemselect", position); });
}

bool Combo::SetAttribute(const QString& name, const QString& value) {
  if (!Control::SetAttribute(name, value)) return false;
  Restyle();
  return true;
}

void Combo::SetManager(PaintManager* manager) {
  Control::SetManager(manager);
  Restyle();
}

void Combo::Restyle() { setStyleSheet(FieldStyle("QComboBox", look_, skinFolder())); }

bool Combo::SelectItem(int position) {
  if (position < -1 || position >= count()) return false;
  setCurrentIndex(position);
  return true;
}

void Combo::ChooseItem(int position) {
  if (!SelectItem(position)) return;
  Notify("itemselect", position);
}

// ---- Progress ----
Progress::Progress(QWidget* parent) : QWidget(parent), Control("ProgressUI") {
  look_.bk = QColor(0xE5, 0xE7, 0xEB);
  look_.borderRound = 3;
  look_.align = Qt::AlignCenter;
}

bool Progress::SetAttribute(const QString& name, const QString& value) {
  if (name == "min")
    SetMinValue(value.toInt());
  else if (name == "max")
    SetMaxValue(value.toInt());
  else if (name == "value")
    SetValue(value.toInt());
  else if (name == "forecolor")
    fore_ = ParseColor(value);
  else
    return Control::SetAttribute(name, value);
  update();
  return true;
}

void Progress::SetMaxValue(int maximum) {
  max_ = maximum;
  update();
}
void Progress::SetMinValue(int minimum) {
  min_ = minimum;
  update();
}
void Progress::SetValue(int value) {
  value_ = value;
  update();
}

void Progress::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  LookState state;
  ControlLook saved = look_;
  look_.foreImage = ImageSpec();
  PaintBox(painter, rect(), state);
  look_ = saved;
  const int span = max_ - min_;
  const double part = span > 0 ? std::clamp(double(value_ - min_) / span, 0.0, 1.0) : 0.0;
  if (part > 0) {
    QRect filled = rect();
    filled.setWidth(int(filled.width() * part));
    if (!look_.foreImage.empty()) {
      DrawImage(painter, skinFolder(), look_.foreImage, filled);
    } else {
      painter.setRenderHint(QPainter::Antialiasing);
      QPainterPath path;
      path.addRoundedRect(QRectF(filled), look_.borderRound, look_.borderRound);
      painter.fillPath(path, fore_);
    }
  }
  PaintLabelText(painter, rect(), state, text_);
}

}  // namespace ui
