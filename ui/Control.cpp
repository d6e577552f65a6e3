#include "ui/Control.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>

#include "ui/PaintManager.h"

namespace ui {
namespace {

Qt::Alignment ParseAlign(const QString& value, Qt::Alignment current) {
  Qt::Alignment horizontal = current & Qt::AlignHorizontal_Mask;
  Qt::Alignment vertical = current & Qt::AlignVertical_Mask;
  for (const QString& word : value.split(QRegularExpression("[ ,|]"), Qt::SkipEmptyParts)) {
    if (word == "left")
      horizontal = Qt::AlignLeft;
    else if (word == "right")
      horizontal = Qt::AlignRight;
    else if (word == "center")
      horizontal = Qt::AlignHCenter;
    else if (word == "top")
      vertical = Qt::AlignTop;
    else if (word == "bottom")
      vertical = Qt::AlignBottom;
    else if (word == "vcenter")
      vertical = Qt::AlignVCenter;
  }
  return horizontal | vertical;
}

}  // namespace

Control* ControlOf(QObject* object) { return dynamic_cast<Control*>(object); }

QString Control::name() const { return const_cast<Control*>(this)->widget()->objectName(); }
void Control::SetName(const QString& name) {
  widget()->setObjectName(name);
  // Screen readers and test tools know a control by its layout name.
  widget()->setAccessibleName(name);
}
void Control::SetVisible(bool visible) { widget()->setVisible(visible); }
bool Control::IsVisible() { return !widget()->isHidden(); }
void Control::SetEnabled(bool enabled) {
  widget()->setEnabled(enabled);
  Repaint();
}
bool Control::IsEnabled() { return widget()->isEnabled(); }
void Control::SetToolTip(const QString& tip) { widget()->setToolTip(tip); }
void Control::SetTextColor(const QColor& color) {
  look_.text = color;
  Repaint();
}
void Control::SetBkColor(const QColor& color) {
  look_.bk = color;
  Repaint();
}
void Control::SetFont(int index) {
  look_.font = index;
  widget()->setFont(FontOf(index));
  Repaint();
}
void Control::SetText(const QString& text) {
  text_ = text;
  Repaint();
}
void Control::SetManager(PaintManager* manager) {
  manager_ = manager;
  if (look_.font >= 0) widget()->setFont(FontOf(look_.font));
}
void Control::Repaint() { widget()->update(); }

void Control::Notify(const QString& type, int wParam) {
  if (manager_) manager_->SendNotify(this, type, wParam);
}

QFont Control::FontOf(int index) const {
  return manager_ ? manager_->Font(index) : const_cast<Control*>(this)->widget()->font();
}

QString Control::skinFolder() const { return manager_ ? manager_->skinFolder() : QString(); }

bool Control::SetAttribute(const QString& name, const QString& value) {
  QWidget* w = widget();
  if (name == "name")
    SetName(value);
  else if (name == "text")
    SetText(value);
  else if (name == "tooltip")
    SetToolTip(value);
  else if (name == "userdata")
    userData_ = value;
  else if (name == "visible")
    SetVisible(ParseBool(value));
  else if (name == "enabled")
    SetEnabled(ParseBool(value));
  else if (name == "width")
    w->setFixedWidth(value.toInt());
  else if (name == "height")
    w->setFixedHeight(value.toInt());
  else if (name == "minwidth")
    w->setMinimumWidth(value.toInt());
  else if (name == "minheight")
    w->setMinimumHeight(value.toInt());
  else if (name == "maxwidth")
    w->setMaximumWidth(value.toInt());
  else if (name == "maxheight")
    w->setMaximumHeight(value.toInt());
  else if (name == "bkcolor")
    look_.bk = ParseColor(value);
  else if (name == "bkcolor2")
    look_.bk2 = ParseColor(value);
  else if (name == "hotbkcolor")
    look_.hotBk = ParseColor(value);
  else if (name == "pushedbkcolor")
    look_.pushedBk = ParseColor(value);
  else if (name == "selectedbkcolor")
    look_.selectedBk = ParseColor(value);
  else if (name == "disabledbkcolor")
    look_.disabledBk = ParseColor(value);
  else if (name == "bordercolor")
    look_.border = ParseColor(value);
  else if (name == "focusbordercolor")
    look_.focusBorder = ParseColor(value);
  else if (name == "bordersize")
    look_.borderSize = value.toInt();
  else if (name == "borderround")
    look_.borderRound = ParseSize(value).width();
  else if (name == "textcolor")
    look_.text = ParseColor(value);
  else if (name == "hottextcolor")
    look_.hotText = ParseColor(value);
  else if (name == "pushedtextcolor")
    look_.pushedText = ParseColor(value);
  else if (name == "selectedtextcolor")
    look_.selectedText = ParseColor(value);
  else if (name == "disabledtextcolor")
    look_.disabledText = ParseColor(value);
  else if (name == "font")
    SetFont(value.toInt());
  else if (name == "align" || name == "valign")
    look_.align = ParseAlign(value, look_.align);
  else if (name == "textpadding")
    look_.textPadding = ParseMargins(value);
  else if (name == "wordbreak" || name == "multiline")
    look_.wordBreak = ParseBool(value);
  else if (name == "bkimage")
    look_.bkImage = ParseImage(value);
  else if (name == "normalimage")
    look_.normalImage = ParseImage(value);
  else if (name == "hotimage")
    look_.hotImage = ParseImage(value);
  else if (name == "pushedimage")
    look_.pushedImage = ParseImage(value);
  else if (name == "selectedimage")
    look_.selectedImage = ParseImage(value);
  else if (name == "foreimage")
    look_.foreImage = ParseImage(value);
  else if (name == "disabledimage")
    look_.disabledImage = ParseImage(value);
  else if (name == "cursor")
    w->setCursor(value == "hand" ? Qt::PointingHandCursor : Qt::ArrowCursor);
  else
    return false;
  Repaint();
  return true;
}

void Control::PaintBox(QPainter& painter, const QRect& bounds, const LookState& state) {
  QColor bk = look_.bk;
  if (state.disabled && look_.disabledBk.isValid())
    bk = look_.disabledBk;
  else if (state.selected && look_.selectedBk.isValid())
    bk = look_.selectedBk;
  else if (state.pushed && look_.pushedBk.isValid())
    bk = look_.pushedBk;
  else if (state.hot && look_.hotBk.isValid())
    bk = look_.hotBk;
  QColor border = look_.border;
  if ((state.focused || state.hot) && look_.focusBorder.isValid() && look_.borderSize > 0)
    border = look_.focusBorder;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, look_.borderRound > 0);
  const QRectF box = QRectF(bounds).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath path;
  if (look_.borderRound > 0)
    path.addRoundedRect(box, look_.borderRound, look_.borderRound);
  else
    path.addRect(box);
  if (bk.isValid() && bk.alpha() > 0) {
    if (look_.bk2.isValid()) {
      QLinearGradient g(bounds.topLeft(), bounds.bottomLeft());
      g.setColorAt(0, bk);
      g.setColorAt(1, look_.bk2);
      painter.fillPath(path, g);
    } else {
      painter.fillPath(path, bk);
    }
  }
  painter.restore();
  DrawImage(painter, skinFolder(), look_.bkImage, bounds);
  const ImageSpec* image = &look_.normalImage;
  if (state.disabled && !look_.disabledImage.empty())
    image = &look_.disabledImage;
  else if (state.selected && !look_.selectedImage.empty())
    image = &look_.selectedImage;
  else if (state.pushed && !look_.pushedImage.empty())
    image = &look_.pushedImage;
  else if (state.hot && !look_.hotImage.empty())
    image = &look_.hotImage;
  DrawImage(painter, skinFolder(), *image, bounds);
  DrawImage(painter, skinFolder(), look_.foreImage, bounds);
  if (look_.borderSize > 0 && border.isValid()) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, look_.borderRound > 0);
    painter.setPen(QPen(border, look_.borderSize));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
  }
}

void Control::PaintLabelText(QPainter& painter, const QRect& bounds, const LookState& state,
                             const QString& text) {
  if (text.isEmpty()) return;
  QColor color = look_.text;
  if (state.disabled)
    color = look_.disabledText;
  else if (state.selected && look_.selectedText.isValid())
    color = look_.selectedText;
  else if (state.pushed && look_.pushedText.isValid())
    color = look_.pushedText;
  else if (state.hot && look_.hotText.isValid())
    color = look_.hotText;
  painter.save();
  painter.setPen(color);
  painter.setFont(const_cast<Control*>(this)->widget()->font());
  const QRect area = bounds.marginsRemoved(look_.textPadding);
  int flags = static_cast<int>(look_.align);
  if (look_.wordBreak) flags |= Qt::TextWordWrap;
  const QString shown = look_.wordBreak
                            ? text
                            : painter.fontMetrics().elidedText(
                                  text, Qt::ElideRight, area.width() + 1, Qt::TextShowMnemonic);
  painter.drawText(area, flags, look_.wordBreak ? text : shown);
  painter.restore();
}

}  // namespace ui
