#pragma once
// The message window: type 0 has OK only ("TipWnd2.xml"), type 1 OK and Cancel
// ("TipWnd.xml"). "btnClose" sets the result to 1, "btnCancel" to 2; any other way of
// closing leaves the caller's result as it was.
#include "ui/GUIWnd.h"

namespace ui {

class CTipWnd : public GUIWnd {
 public:
  CTipWnd(const QString& text, int type, int* result);

  // The usual use: a modal message window owned by `owner`; returns 1 for OK (also when
  // closed otherwise) and 2 for Cancel.
  static int Show(QWidget* owner, const QString& windowName, const QString& text, int type);
  // A message box of the procedures in the same look: the caption is its window title, the
  // text is shown whole. True for OK.
  static bool ShowBox(QWidget* owner, const QString& caption, const QString& text, bool withCancel);

 protected:
  QString GetSkinFile() override { return "TipWnd.xml"; }
  QString GetWindowClassName() const override { return "TIPWND"; }
  QString LayoutFileToBuild() override { return type_ == 1 ? "TipWnd.xml" : "TipWnd2.xml"; }
  void OnFindControl() override;
  void OnClick(TNotifyUI& msg) override;
  void OnPrepare() override;
  // Enter answers OK unless a button has the focus (that button answers), Escape answers
  // Cancel; an OK-only window takes Escape as its OK.
  void keyPressEvent(QKeyEvent* e) override;
  void OnEscape() override;

 private:
  QString text_;
  int type_;
  int* result_;
  Control* textTip_ = nullptr;
  Control* btnClose_ = nullptr;
  Control* btnCancel_ = nullptr;
};

}  // namespace ui
