#pragma once
// "List": a header ("ListHeader" with "ListHeaderItem" columns) and rows of texts
// ("ListTextElement"), one text per column. Rows send "itemclick" and "itemselect" when
// clicked and "itemactivate" when double-clicked.
#include <QScrollArea>
#include <QStringList>
#include <QVBoxLayout>

#include "ui/Containers.h"
#include "ui/Control.h"

namespace ui {

class List;

class ListTextElement : public QWidget, public Control {
 public:
  explicit ListTextElement(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  using Control::SetText;
  void SetText(int column, const QString& text);
  QString GetText(int column) const { return texts_.value(column); }
  // A background of the row's own instead of the list's item colour.
  void SetRowColor(const QColor& color) {
    rowColor_ = color;
    update();
  }
  const QColor& rowColor() const { return rowColor_; }
  bool SetAttribute(const QString& name, const QString& value) override;
  void SetOwner(List* owner) { owner_ = owner; }
  void Select(bool selected);
  int index() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  List* owner_ = nullptr;
  QStringList texts_;
  QColor rowColor_;
  bool hot_ = false;
  bool selected_ = false;
};

class List : public QWidget, public Control {
 public:
  explicit List(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  bool SetAttribute(const QString& name, const QString& value) override;

  // The header's columns; a row's text n is drawn in column n.
  void SetHeader(Container* header);
  Container* header() const { return header_; }
  QList<int> ColumnWidths() const;

  void Add(ListTextElement* row);
  void RemoveAll();
  int GetCount() const { return static_cast<int>(rows_.size()); }
  ListTextElement* GetItemAt(int index) const { return rows_.value(index); }
  int IndexOf(const ListTextElement* row) const;
  int GetCurSel() const { return selected_; }
  // The row the keyboard is on (-1: none); Enter chooses it.
  int cursor() const { return cursor_; }
  bool SelectItem(int index, bool notify = false);

  // The item font used for rows without a font of their own ("itemfont").
  int itemFont() const { return itemFont_; }
  void SetItemFont(int index) { itemFont_ = index; }
  const ControlLook& itemLook() const { return itemLook_; }

  void RowClicked(ListTextElement* row, bool activate);

 protected:
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void MoveCursor(int index);

  QVBoxLayout* outer_;
  QScrollArea* scroll_;
  QWidget* body_;
  QVBoxLayout* rowsLayout_;
  Container* header_ = nullptr;
  QList<ListTextElement*> rows_;
  int selected_ = -1;
  int cursor_ = -1;
  int itemFont_ = -1;
  ControlLook itemLook_;
};

}  // namespace ui
