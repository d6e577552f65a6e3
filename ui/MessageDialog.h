#pragma once
// The program's message box for windows that are not built from a skin layout (the tools,
// the updater, the crash notice): the look of the message windows, the caption as window
// title, OK and Cancel in the program's language, Enter for OK and Escape for Cancel
// (Escape closes an OK-only box as OK). Further buttons may carry actions that leave the
// box open, such as opening a folder.
#include <QDialog>
#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace ui {

class MessageDialog : public QDialog {
 public:
  MessageDialog(const QString& caption, const QString& text, bool withCancel,
                QWidget* owner = nullptr);

  // A button left of Cancel and OK that runs `action` and keeps the box open.
  QPushButton* AddAction(const QString& text, std::function<void()> action);
  // Runs the box modally; true for OK.
  bool Run();

  // The usual use in one call.
  static bool Ask(QWidget* owner, const QString& caption, const QString& text, bool withCancel);

 protected:
  void reject() override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  bool withCancel_;
  QHBoxLayout* buttons_ = nullptr;
  QPoint dragOffset_;
  bool dragging_ = false;
};

}  // namespace ui
