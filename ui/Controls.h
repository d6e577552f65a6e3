#pragma once
// The simple controls: a plain box, label and text, button, option and check box, edit,
// drop-down list and progress bar.
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include "ui/Control.h"

namespace ui {

// A painted control without behaviour of its own: "Control", "Label", "Text".
class Label : public QWidget, public Control {
 public:
  explicit Label(const QString& className = "LabelUI", QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  void SetText(const QString& text) override;
  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
};

class Button : public QWidget, public Control {
 public:
  explicit Button(const QString& className = "ButtonUI", QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  // What a click by the user does: the notification, and for options their selection.
  virtual void Activate();
  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  virtual LookState State() const;
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void PaintFocusRing(QPainter& painter);

  bool hot_ = false;
  bool pushed_ = false;
};

// "Option" and "CheckBox": a button that stays selected; options of one group select
// one another out.
class Option : public Button {
 public:
  explicit Option(const QString& className = "OptionUI", QWidget* parent = nullptr);
  void Activate() override;
  bool SetAttribute(const QString& name, const QString& value) override;
  void Selected(bool selected, bool notify = true);
  bool IsSelected() const { return selected_; }
  const QString& group() const { return group_; }

 protected:
  LookState State() const override;
  void paintEvent(QPaintEvent*) override;

 private:
  QString group_;
  bool selected_ = false;
  bool checkBox_ = false;
};

class Edit : public QLineEdit, public Control {
 public:
  explicit Edit(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  void SetText(const QString& text) override;
  QString text() const override { return QLineEdit::text(); }
  bool SetAttribute(const QString& name, const QString& value) override;
  void SetManager(PaintManager* manager) override;

 private:
  void Restyle();
};

// "Combo": items come from its child elements; "itemselect" follows a choice by the user,
// not a selection made by code.
class Combo : public QComboBox, public Control {
 public:
  explicit Combo(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  bool SetAttribute(const QString& name, const QString& value) override;
  void SetManager(PaintManager* manager) override;
  void AddItem(const QString& text) { addItem(text); }
  // Selects by code; -1 clears. Out-of-range positions leave the selection as it is.
  bool SelectItem(int position);
  int GetCurSel() const { return currentIndex(); }
  // As if the user chose the entry: selects it and sends "itemselect".
  void ChooseItem(int position);

 private:
  void Restyle();
};

class Progress : public QWidget, public Control {
 public:
  explicit Progress(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  bool SetAttribute(const QString& name, const QString& value) override;
  void SetMaxValue(int maximum);
  void SetMinValue(int minimum);
  void SetValue(int value);
  int GetValue() const { return value_; }
  int GetMaxValue() const { return max_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  QColor fore_{0xFF, 0x02, 0x8C, 0xF1};
};

}  // namespace ui
