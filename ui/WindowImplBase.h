#pragma once
// The base of every window: built from its layout file, controls found by name,
// notifications dispatched by type, a modal run with a close code, and a caption area
// that drags the window. A window is either top level or a child window at a fixed place.
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "ui/CDialogBuilderCallbackEx.h"
#include "ui/Control.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManager.h"

namespace ui {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

class WindowImplBase : public QWidget, public INotifyUI {
 public:
  WindowImplBase();
  ~WindowImplBase() override;

  // Builds the window. `child`: a child window of `owner` at `pos`; else a top-level
  // window owned by `owner` (may be none) and sized by its layout.
  bool Create(QWidget* owner, const QString& windowName, bool child, const QRect& pos = QRect());
  // Shows the window modally until Close; returns the close code.
  int ShowModal();
  void Close(int code = IDOK);
  void CenterWindow();
  void ShowWindow(bool show = true) { setVisible(show); }

  Control* FindControl(const QString& name) const { return manager_.FindControl(name); }
  template <class T>
  T* Find(const QString& name) const {
    return dynamic_cast<T*>(FindControl(name));
  }
  PaintManager& paintManager() { return manager_; }
  const QString& windowName() const { return windowName_; }

  // Any thread: carries a change of the named control to the UI thread, in order.
  void PostToControl(const QString& name, std::function<void(Control&)> change);

  void Notify(TNotifyUI& msg) override;

 protected:
  virtual QString GetSkinFile() = 0;
  virtual QString GetWindowClassName() const = 0;
  // The layout actually built; as a rule the skin file.
  virtual QString LayoutFileToBuild() { return GetSkinFile(); }
  virtual IDialogBuilderCallback* GetBuilderCallback();
  // After the layout is built and attached.
  virtual void InitWindow() {}
  virtual void OnClick(TNotifyUI&) {}
  // The system close command (Alt+F4, the window manager's close): closes this window.
  virtual void OnSystemClose() { Close(IDCANCEL); }
  // Escape in a window owned by another (a dialog): as the system close command. The main
  // window and child pages ignore it.
  virtual void OnEscape();

  void keyPressEvent(QKeyEvent* e) override;

  void closeEvent(QCloseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

  Control* root_ = nullptr;

 private:
  PaintManager manager_;
  CDialogBuilderCallbackEx callback_;
  QString windowName_;
  QEventLoop* loop_ = nullptr;
  int closeCode_ = 0;
  bool closing_ = false;
  bool child_ = false;
  int captionHeight_ = 0;
  int roundCorner_ = 0;
  QPoint dragOffset_;
  bool dragging_ = false;
};

}  // namespace ui
