#pragma once
// "WebBrowser" (also "ActiveX"): the embedded web view. The engine starts only when a page
// is first navigated to, so windows that carry a browser cost nothing until used. Where no
// page can be shown (offline, no address, a failed load) a local page in the program's
// language says why instead of a blank rectangle; a failed load offers to try again.
#include <QUrl>
#include <QWidget>

#include "ui/Control.h"

class QLabel;
class QPushButton;
class QWebEngineView;

namespace ui {

class WebBrowser : public QWidget, public Control {
 public:
  explicit WebBrowser(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  bool SetAttribute(const QString& name, const QString& value) override;

  // The page at `address`; configured offline or with no address, the local page says so
  // and the engine is not started.
  void Open(const std::string& address, bool offline);
  // Shows the page at `url`; the view never opens dialog boxes of its own.
  void Navigate(const QString& url);
  QUrl url() const;
  // The view, created on first use.
  QWebEngineView* view();

  // What the local page shows now; empty while the web view is shown.
  QString noticeText() const;
  bool retryOffered() const;
  // Loads the last address again, as the local page's button does.
  void Retry();

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void ShowNotice(const QString& text, bool retry);
  void LoadFinished(bool ok);

  QWidget* notice_ = nullptr;
  QLabel* noticeText_ = nullptr;
  QPushButton* retry_ = nullptr;
  QWebEngineView* view_ = nullptr;
  QString homePage_;
  QString requested_;
};

}  // namespace ui
