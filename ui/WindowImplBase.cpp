#include "ui/WindowImplBase.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "ui/Controls.h"
#include "ui/UiThread.h"

namespace ui {

WindowImplBase::WindowImplBase() : manager_(this) {}
WindowImplBase::~WindowImplBase() = default;

IDialogBuilderCallback* WindowImplBase::GetBuilderCallback() {
  callback_.SetManager(&manager_);
  return &callback_;
}

bool WindowImplBase::Create(QWidget* owner, const QString& windowName, bool child,
                            const QRect& pos) {
  windowName_ = windowName;
  child_ = child;
  setObjectName(windowName);
  setWindowTitle(windowName);
  if (child) {
    setParent(owner);
    setWindowFlags(Qt::Widget);
  } else {
    setParent(owner, owner ? (Qt::Dialog | Qt::FramelessWindowHint)
                           : (Qt::Window | Qt::FramelessWindowHint));
  }
  manager_.AddNotifier(this);
  DialogBuilder builder;
  root_ = builder.Create(LayoutFileToBuild(), &manager_, GetBuilderCallback());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (root_) layout->addWidget(root_->widget());
  const auto& attributes = builder.windowAttributes();
  captionHeight_ = ParseMargins(attributes.value("caption")).bottom();
  roundCorner_ = ParseSize(attributes.value("roundcorner")).width();
  const QSize size = ParseSize(attributes.value("size"));
  if (child)
    setGeometry(pos);
  else if (size.isValid() && !size.isEmpty())
    resize(size);
  else
    resize(400, 240);
  if (!child && size.isValid() && !size.isEmpty()) setFixedSize(size);
  InitWindow();
  manager_.SendNotify(root_, "windowinit");
  return true;
}

int WindowImplBase::ShowModal() {
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  loop_ = &loop;
  if (!closing_) loop.exec();
  loop_ = nullptr;
  return closeCode_;
}

void WindowImplBase::Close(int code) {
  if (closing_) return;
  closing_ = true;
  closeCode_ = code;
  hide();
  if (loop_) loop_->quit();
  if (!child_) deleteLater();
}

void WindowImplBase::CenterWindow() {
  QRect area;
  if (parentWidget() && !child_)
    area = parentWidget()->window()->frameGeometry();
  else if (QScreen* screen = QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  if (area.isValid()) move(area.center() - rect().center());
}

void WindowImplBase::PostToControl(const QString& name, std::function<void(Control&)> change) {
  QPointer<WindowImplBase> self(this);
  PostToUi([self, name, change = std::move(change)] {
    if (!self) return;
    if (Control* c = self->FindControl(name)) change(*c);
  });
}

void WindowImplBase::Notify(TNotifyUI& msg) {
  if (msg.sType == "click") OnClick(msg);
}

void WindowImplBase::closeEvent(QCloseEvent* e) {
  if (closing_) return e->accept();
  e->ignore();
  OnSystemClose();
}

void WindowImplBase::OnEscape() {
  if (!child_ && parentWidget()) OnSystemClose();
}

void WindowImplBase::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    OnEscape();
    return;
  }
  QWidget::keyPressEvent(e);
}

void WindowImplBase::mousePressEvent(QMouseEvent* e) {
  if (child_ || e->button() != Qt::LeftButton || e->position().y() >= captionHeight_) return;
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void WindowImplBase::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_) move(e->globalPosition().toPoint() - dragOffset_);
}

void WindowImplBase::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void WindowImplBase::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (roundCorner_ > 0 && !child_) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), roundCorner_, roundCorner_);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
  }
}

void WindowImplBase::paintEvent(QPaintEvent*) {
  if (root_) return;
  QPainter painter(this);  // an empty window: a layout that could not be built
  painter.fillRect(rect(), Qt::white);
}

}  // namespace ui
