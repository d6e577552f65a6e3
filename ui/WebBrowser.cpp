#include "ui/WebBrowser.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "core/ProgramTexts.h"
#include "ui/OwnStyle.h"

namespace ui {
namespace {

// A page that keeps script errors and dialogs to itself: no alerts, questions, file
// choosers or certificate prompts; a page with a bad certificate is not shown, and
// downloads are not offered (the engine cancels those nobody accepts).
class SilentPage : public QWebEnginePage {
 public:
  explicit SilentPage(QObject* parent) : QWebEnginePage(parent) {
    connect(this, &QWebEnginePage::certificateError,
            [](QWebEngineCertificateError error) { error.rejectCertificate(); });
  }

 protected:
  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
  bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
    return false;
  }
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                const QString&) override {}
  QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override {
    return {};
  }
};

QString T(core::TextId id) { return QString::fromStdString(core::Text(id)); }

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent), Control("WebBrowserUI") {
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  // The local page lies over the view rather than replacing it: the view stays shown, as
  // the web engine expects of a view whose page it may swap at any time.
  notice_ = new QWidget(this);
  notice_->setObjectName("localPage");
  notice_->setStyleSheet(OwnStyleSheet());
  auto* layout = new QVBoxLayout(notice_);
  layout->setContentsMargins(48, 48, 48, 48);
  layout->setSpacing(16);
  noticeText_ = new QLabel;
  noticeText_->setObjectName("localPageText");
  noticeText_->setWordWrap(true);
  noticeText_->setTextFormat(Qt::PlainText);
  noticeText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  retry_ = new QPushButton;
  retry_->setObjectName("btnRetry");
  retry_->setAccessibleName("btnRetry");
  retry_->setProperty("primary", true);
  retry_->setCursor(Qt::PointingHandCursor);
  QObject::connect(retry_, &QPushButton::clicked, notice_, [this] { Retry(); });
  layout->addWidget(noticeText_);
  layout->addWidget(retry_, 0, Qt::AlignLeft);
  layout->addStretch(1);
  notice_->setAttribute(Qt::WA_StyledBackground);
  notice_->hide();
}

bool WebBrowser::SetAttribute(const QString& name, const QString& value) {
  if (name == "homepage" || name == "url")
    homePage_ = value;
  else if (name == "clsid" || name == "delaycreate" || name == "autonavi")
    return true;
  else
    return Control::SetAttribute(name, value);
  return true;
}

QWebEngineView* WebBrowser::view() {
  if (!view_) {
    view_ = new QWebEngineView(this);
    view_->setPage(new SilentPage(view_));
    // A failed load shows the local page; the engine's own error page would only cost a
    // renderer of its own behind it.
    view_->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    // A later load that works replaces the local page of one that failed, whichever
    // finishes first.
    QObject::connect(view_, &QWebEngineView::loadFinished, view_,
                     [this](bool ok) { LoadFinished(ok); });
    layout()->addWidget(view_);
    notice_->raise();
  }
  return view_;
}

void WebBrowser::Open(const std::string& address, bool offline) {
  requested_ = QString::fromStdString(address);
  if (offline)
    ShowNotice(T(core::TextId::kOfflinePage), false);
  else if (address.empty())
    ShowNotice(T(core::TextId::kNoPageAddress), false);
  else
    Navigate(requested_);
}

void WebBrowser::Navigate(const QString& url) {
  requested_ = url;
  view();
  notice_->hide();
  view_->setUrl(QUrl::fromUserInput(url));
}

void WebBrowser::Retry() {
  if (!requested_.isEmpty()) Navigate(requested_);
}

void WebBrowser::LoadFinished(bool ok) {
  if (ok)
    notice_->hide();
  else
    ShowNotice(T(core::TextId::kPageLoadFailed).replace("%s", requested_), true);
}

void WebBrowser::ShowNotice(const QString& text, bool retry) {
  noticeText_->setText(text);
  retry_->setText(T(core::TextId::kTryAgain));
  retry_->setVisible(retry);
  notice_->setGeometry(rect());
  notice_->raise();
  notice_->show();
}

QString WebBrowser::noticeText() const {
  return notice_->isHidden() ? QString() : noticeText_->text();
}

bool WebBrowser::retryOffered() const { return !notice_->isHidden() && !retry_->isHidden(); }

void WebBrowser::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  notice_->setGeometry(rect());
}

QUrl WebBrowser::url() const { return view_ ? view_->url() : QUrl(); }

}  // namespace ui
