#include "ui/ListControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace ui {

// ---- ListTextElement ----
ListTextElement::ListTextElement(QWidget* parent) : QWidget(parent), Control("ListTextElementUI") {
  setAttribute(Qt::WA_Hover);
  setMinimumHeight(28);
}

void ListTextElement::SetText(int column, const QString& text) {
  while (texts_.size() <= column) texts_.append(QString());
  texts_[column] = text;
  update();
}

bool ListTextElement::SetAttribute(const QString& name, const QString& value) {
  if (name == "text")
    SetText(0, value);
  else
    return Control::SetAttribute(name, value);
  return true;
}

void ListTextElement::Select(bool selected) {
  selected_ = selected;
  update();
}

int ListTextElement::index() const { return owner_ ? owner_->IndexOf(this) : -1; }

void ListTextElement::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const ControlLook item = owner_ ? owner_->itemLook() : ControlLook();
  LookState state;
  state.hot = hot_;
  state.selected = selected_;
  ControlLook saved = look_;
  // Rows are drawn in the list's item colours, as the library does, unless given their own:
  // a row colour of its own means something, so it stays under the pointer and when chosen,
  // and an outline shows those states instead.
  const bool ownColour = rowColor_.isValid();
  look_.bk = ownColour ? rowColor_ : item.bk;
  if (!ownColour && hot_ && !look_.hotBk.isValid()) look_.hotBk = item.hotBk;
  if (!ownColour && selected_ && !look_.selectedBk.isValid()) look_.selectedBk = item.selectedBk;
  if (ownColour) look_.hotBk = look_.selectedBk = QColor();
  PaintBox(painter, rect(), state);
  look_ = saved;
  const bool focused = owner_ && owner_->hasFocus() && owner_->cursor() == index();
  if ((ownColour && (hot_ || selected_)) || focused) {
    painter.save();
    painter.setPen(QPen(QColor(0x0F, 0x17, 0x2A), focused ? 2 : 1));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    painter.restore();
  }
  if (item.border.isValid()) {
    painter.setPen(item.border);
    painter.drawLine(rect().bottomLeft(), rect().bottomRight());
  }
  QList<int> widths = owner_ ? owner_->ColumnWidths() : QList<int>();
  if (widths.isEmpty()) widths.append(width());
  int x = 0;
  for (int c = 0; c < texts_.size() && c < widths.size(); ++c) {
    const int w = c == widths.size() - 1 ? width() - x : widths[c];
    const QRect cell(x, 0, w, height());
    PaintLabelText(painter, cell, state, texts_[c]);
    x += w;
  }
}

void ListTextElement::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && owner_) owner_->RowClicked(this, false);
}
void ListTextElement::mouseDoubleClickEvent(QMouseEvent*) {
  if (owner_) owner_->RowClicked(this, true);
}
void ListTextElement::enterEvent(QEnterEvent*) {
  hot_ = true;
  update();
}
void ListTextElement::leaveEvent(QEvent*) {
  hot_ = false;
  update();
}

// ---- List ----
List::List(QWidget* parent) : QWidget(parent), Control("ListUI") {
  setFocusPolicy(Qt::StrongFocus);
  outer_ = new QVBoxLayout(this);
  outer_->setContentsMargins(0, 0, 0, 0);
  outer_->setSpacing(0);
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(true);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  body_ = new QWidget;
  body_->setObjectName("listBody");
  auto* inner = new QVBoxLayout(body_);
  inner->setContentsMargins(0, 0, 0, 0);
  inner->setSpacing(0);
  rowsLayout_ = new QVBoxLayout;
  rowsLayout_->setContentsMargins(0, 0, 0, 0);
  rowsLayout_->setSpacing(0);
  inner->addLayout(rowsLayout_);
  inner->addStretch(1);
  scroll_->setWidget(body_);
  outer_->addWidget(scroll_);
  scroll_->setStyleSheet(
      "QScrollArea, QWidget#listBody { background: transparent; }"
      "QScrollBar:vertical { width: 8px; background: transparent; }"
      "QScrollBar::handle:vertical { background: #FFCBD5E1; border-radius: 4px; min-height: 24px; }"
      "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }");
  scroll_->viewport()->setAutoFillBackground(false);
}

void List::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBox(painter, rect(), LookState());
}

bool List::SetAttribute(const QString& name, const QString& value) {
  if (name == "itemfont")
    itemFont_ = value.toInt();
  else if (name == "itembkcolor")
    itemLook_.bk = ParseColor(value);
  else if (name == "itemtextcolor")
    itemLook_.text = ParseColor(value);
  else if (name == "itemhotbkcolor")
    itemLook_.hotBk = ParseColor(value);
  else if (name == "itemselectedbkcolor")
    itemLook_.selectedBk = ParseColor(value);
  else if (name == "itemlinecolor")
    itemLook_.border = ParseColor(value);
  else if (name == "itemtextpadding")
    itemLook_.textPadding = ParseMargins(value);
  else if (name == "header") {
    if (header_) header_->setVisible(value != "hidden");
  } else
    return Control::SetAttribute(name, value);
  return true;
}

void List::SetHeader(Container* header) {
  header_ = header;
  outer_->insertWidget(0, header);
}

QList<int> List::ColumnWidths() const {
  QList<int> widths;
  if (!header_) return widths;
  for (int i = 0; i < header_->GetCount(); ++i) {
    QWidget* w = header_->GetItemAt(i)->widget();
    widths.append(w->minimumWidth() == w->maximumWidth() ? w->maximumWidth() : w->width());
  }
  return widths;
}

void List::Add(ListTextElement* row) {
  row->SetOwner(this);
  row->SetManager(manager());
  if (row->look().font < 0) row->SetFont(itemFont_);
  if (!row->look().textPadding.left() && !itemLook_.textPadding.isNull())
    row->look().textPadding = itemLook_.textPadding;
  if (itemLook_.text.isValid() && row->look().text == ControlLook().text)
    row->look().text = itemLook_.text;
  rowsLayout_->addWidget(row);
  rows_.append(row);
}

void List::RemoveAll() {
  for (ListTextElement* row : rows_) delete row;
  rows_.clear();
  selected_ = -1;
  cursor_ = -1;
}

int List::IndexOf(const ListTextElement* row) const {
  return static_cast<int>(rows_.indexOf(const_cast<ListTextElement*>(row)));
}

bool List::SelectItem(int index, bool notify) {
  if (index < -1 || index >= rows_.size()) return false;
  if (selected_ >= 0 && selected_ < rows_.size()) rows_[selected_]->Select(false);
  selected_ = index;
  if (index >= 0) rows_[index]->Select(true);
  if (notify) Notify("itemselect", index);
  return true;
}

void List::keyPressEvent(QKeyEvent* e) {
  // Arrows move a keyboard cursor; Enter or Space chooses its row.
  const int last = static_cast<int>(rows_.size()) - 1;
  int next = cursor_ >= 0 ? cursor_ : selected_;
  switch (e->key()) {
    case Qt::Key_Up:
      next = std::max(0, next - 1);
      break;
    case Qt::Key_Down:
      next = std::min(last, next + 1);
      break;
    case Qt::Key_Home:
      next = 0;
      break;
    case Qt::Key_End:
      next = last;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      // Enter chooses even the row already selected: the user asks for it again.
      if (next >= 0 && next <= last) {
        SelectItem(next, true);
        Notify("itemclick", next);
      }
      return;
    default:
      QWidget::keyPressEvent(e);
      return;
  }
  if (next < 0 || next > last) return;
  MoveCursor(next);
  scroll_->ensureWidgetVisible(rows_[next]);
}

void List::MoveCursor(int index) {
  const int old = cursor_;
  cursor_ = index;
  if (old >= 0 && old < rows_.size()) rows_[old]->update();
  if (index >= 0 && index < rows_.size()) rows_[index]->update();
}

void List::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  if (cursor_ < 0) MoveCursor(selected_ >= 0 ? selected_ : (rows_.isEmpty() ? -1 : 0));
}

void List::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  MoveCursor(cursor_);
}

void List::RowClicked(ListTextElement* row, bool activate) {
  const int index = IndexOf(row);
  MoveCursor(index);
  if (activate) {
    Notify("itemactivate", index);
    return;
  }
  if (index != selected_) SelectItem(index, true);
  Notify("itemclick", index);
}

}  // namespace ui
