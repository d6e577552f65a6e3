#pragma once
// Containers: "Container" and "VerticalLayout" stack their children from top to bottom,
// "HorizontalLayout" from left to right, "TabLayout" shows one child at a time,
// "TileLayout" fills rows of "columns" children from the top left. Children
// with a fixed width or height keep it; the others share what is left. A child with
// float="true" sits at its "pos" rectangle.
#include <QBoxLayout>
#include <QGridLayout>
#include <QStackedLayout>
#include <QWidget>

#include "ui/Control.h"

namespace ui {

class Container : public QWidget, public Control {
 public:
  enum class Kind { Vertical, Horizontal, Tab, Tile };
  Container(const QString& className, Kind kind, QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  bool SetAttribute(const QString& name, const QString& value) override;

  // Adds a child control; float children are placed by their own geometry.
  void Add(Control* child, bool floating = false);
  void RemoveAll();
  int GetCount() const;
  Control* GetItemAt(int index) const;
  // Tab layouts: the child shown.
  bool SelectItem(int index);
  int GetCurSel() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  QBoxLayout* box_ = nullptr;
  QStackedLayout* stack_ = nullptr;
  QGridLayout* grid_ = nullptr;
  int columns_ = 1;
  QList<Control*> children_;
  int pendingSelection_ = 0;
};

}  // namespace ui
