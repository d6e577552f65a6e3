#include "ui/Containers.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace ui {

Container::Container(const QString& className, Kind kind, QWidget* parent)
    : QWidget(parent), Control(className) {
  if (kind == Kind::Tab) {
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
  } else if (kind == Kind::Tile) {
    grid_ = new QGridLayout(this);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setSpacing(0);
    grid_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  } else {
    box_ = new QBoxLayout(
        kind == Kind::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    box_->setContentsMargins(0, 0, 0, 0);
    box_->setSpacing(0);
  }
}

bool Container::SetAttribute(const QString& name, const QString& value) {
  if (name == "inset") {
    const QMargins m = ParseMargins(value);
    if (box_) box_->setContentsMargins(m);
    if (stack_) stack_->setContentsMargins(m);
    if (grid_) grid_->setContentsMargins(m);
  } else if (name == "childpadding") {
    if (box_) box_->setSpacing(value.toInt());
    if (grid_) grid_->setSpacing(value.toInt());
  } else if (name == "columns") {
    columns_ = std::max(1, value.toInt());
  } else if (name == "selectedid") {
    pendingSelection_ = value.toInt();
  } else {
    return Control::SetAttribute(name, value);
  }
  return true;
}

void Container::Add(Control* child, bool floating) {
  QWidget* w = child->widget();
  children_.append(child);
  if (floating) {
    w->setParent(this);
    w->show();
    return;
  }
  if (grid_) {
    const int at = grid_->count();
    grid_->addWidget(w, at / columns_, at % columns_);
  } else if (stack_) {
    stack_->addWidget(w);
    if (stack_->count() - 1 == pendingSelection_) stack_->setCurrentIndex(pendingSelection_);
  } else {
    box_->addWidget(w);
  }
}

void Container::RemoveAll() {
  for (Control* c : children_) delete c->widget();
  children_.clear();
}

int Container::GetCount() const { return static_cast<int>(children_.size()); }
Control* Container::GetItemAt(int index) const {
  return index >= 0 && index < children_.size() ? children_[index] : nullptr;
}

bool Container::SelectItem(int index) {
  if (!stack_ || index < 0 || index >= stack_->count()) return false;
  stack_->setCurrentIndex(index);
  return true;
}
int Container::GetCurSel() const { return stack_ ? stack_->currentIndex() : -1; }

void Container::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  LookState state;
  PaintBox(painter, rect(), state);
}

void Container::mousePressEvent(QMouseEvent* e) { e->ignore(); }

}  // namespace ui
