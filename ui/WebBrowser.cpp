#include "ui/WebBrowser.h"

#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <QWebEngineView>

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

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent), Control("WebBrowserUI") {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

bool WebBrowser::SetAttribute(const QString& name, const QString& value) {
  if (name == "homepage" || name == "url") homePage_ = value;
  else if (name == "clsid" || name == "delaycreate" || name == "autonavi") return true;
  else return Control::SetAttribute(name, value);
  return true;
}

QWebEngineView* WebBrowser::view() {
  if (!view_) {
    view_ = new QWebEngineView(this);
    view_->setPage(new SilentPage(view_));
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    layout()->addWidget(view_);
  }
  return view_;
}

void WebBrowser::Navigate(const QString& url) { view()->setUrl(QUrl::fromUserInput(url)); }

QUrl WebBrowser::url() const { return view_ ? view_->url() : QUrl(); }

}  // namespace ui
