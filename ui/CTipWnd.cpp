#include "ui/CTipWnd.h"

#include <QKeyEvent>

#include "platform/Text.h"

namespace ui {

CTipWnd::CTipWnd(const QString& text, int type, int* result)
    : text_(QString::fromStdString(platform::CutToCapacity(text.toStdString(), 260))),
      type_(type),
      result_(result) {}

bool CTipWnd::ShowBox(QWidget* owner, const QString& caption, const QString& text,
                      bool withCancel) {
  int result = 1;
  auto* window = new CTipWnd(QString(), withCancel ? 1 : 0, &result);
  window->text_ = text;
  window->Create(owner, caption, false);
  window->CenterWindow();
  window->ShowModal();
  return result == 1;
}

int CTipWnd::Show(QWidget* owner, const QString& windowName, const QString& text, int type) {
  int result = 1;
  auto* window = new CTipWnd(text, type, &result);
  window->Create(owner, windowName, false);
  window->CenterWindow();
  window->ShowModal();
  return result;
}

void CTipWnd::OnFindControl() {
  textTip_ = FindControl("textTip");
  if (textTip_) textTip_->SetText(text_);
  btnClose_ = FindControl("btnClose");
  if (type_ == 1) btnCancel_ = FindControl("btnCancel");
}

void CTipWnd::OnPrepare() {
  if (btnClose_) btnClose_->widget()->setFocus(Qt::OtherFocusReason);
}

void CTipWnd::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (result_) *result_ = 1;
    Close(IDOK);
    return;
  }
  GUIWnd::keyPressEvent(e);
}

void CTipWnd::OnEscape() {
  if (btnCancel_) {
    if (result_) *result_ = 2;
    Close(IDCANCEL);
  } else {
    Close(IDOK);
  }
}

void CTipWnd::OnClick(TNotifyUI& msg) {
  if (msg.pSender && msg.pSender == btnClose_) {
    if (result_) *result_ = 1;
    Close(IDOK);
  } else if (msg.pSender && msg.pSender == btnCancel_) {
    if (result_) *result_ = 2;
    Close(IDCANCEL);
  }
}

}  // namespace ui
