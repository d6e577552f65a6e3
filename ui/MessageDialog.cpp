#include "ui/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProgramTexts.h"
#include "ui/OwnStyle.h"

namespace ui {
namespace {

constexpr int kHeadHeight = 44;

QString T(core::TextId id) { return QString::fromStdString(core::Text(id)); }

}  // namespace

MessageDialog::MessageDialog(const QString& caption, const QString& text, bool withCancel,
                             QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), withCancel_(withCancel) {
  setObjectName("messageDialog");
  setWindowTitle(caption);
  setStyleSheet(OwnStyleSheet() + "QDialog#messageDialog { border: 1px solid #FFCBD5E1; }");
  setMinimumWidth(420);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(1, 1, 1, 1);
  outer->setSpacing(0);

  auto* head = new QWidget;
  head->setObjectName("dialogHead");
  head->setAttribute(Qt::WA_StyledBackground);
  head->setFixedHeight(kHeadHeight);
  auto* headLayout = new QHBoxLayout(head);
  headLayout->setContentsMargins(18, 0, 18, 0);
  auto* title = new QLabel(caption.isEmpty() ? QStringLiteral("OrbManager") : caption);
  title->setObjectName("dialogCaption");
  headLayout->addWidget(title);
  outer->addWidget(head);

  auto* body = new QWidget;
  body->setObjectName("dialogBody");
  body->setAttribute(Qt::WA_StyledBackground);
  auto* bodyLayout = new QVBoxLayout(body);
  bodyLayout->setContentsMargins(24, 18, 18, 16);
  bodyLayout->setSpacing(18);
  auto* message = new QLabel(text);
  message->setObjectName("textTip");
  message->setWordWrap(true);
  message->setTextFormat(Qt::PlainText);
  message->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message->setMinimumHeight(48);
  bodyLayout->addWidget(message, 1);

  buttons_ = new QHBoxLayout;
  buttons_->setSpacing(10);
  buttons_->addStretch(1);
  if (withCancel) {
    auto* cancel = new QPushButton(T(core::TextId::kCancel));
    cancel->setObjectName("btnCancel");
    cancel->setAccessibleName("btnCancel");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons_->addWidget(cancel);
  }
  auto* ok = new QPushButton(T(core::TextId::kOk));
  ok->setObjectName("btnClose");
  ok->setAccessibleName("btnClose");
  ok->setProperty("primary", true);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  buttons_->addWidget(ok);
  bodyLayout->addLayout(buttons_);
  outer->addWidget(body, 1);
  ok->setFocus();
}

QPushButton* MessageDialog::AddAction(const QString& text, std::function<void()> action) {
  auto* button = new QPushButton(text);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
  buttons_->insertWidget(0, button);
  return button;
}

bool MessageDialog::Run() { return exec() == QDialog::Accepted; }

bool MessageDialog::Ask(QWidget* owner, const QString& caption, const QString& text,
                        bool withCancel) {
  MessageDialog box(caption, text, withCancel, owner);
  return box.Run();
}

void MessageDialog::reject() {
  // An OK-only box has nothing to cancel: closing it any way is its OK.
  if (withCancel_)
    QDialog::reject();
  else
    accept();
}

void MessageDialog::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || e->position().y() > kHeadHeight) return;
  dragging_ = true;
  dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MessageDialog::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_ && (e->buttons() & Qt::LeftButton))
    move(e->globalPosition().toPoint() - dragOffset_);
  else
    dragging_ = false;
}

}  // namespace ui
