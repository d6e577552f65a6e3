#pragma once
// "WebBrowser" (also "ActiveX"): the embedded web view. The engine starts only when a page
// is first navigated to, so windows that carry a browser cost nothing until used.
#include <QUrl>
#include <QWidget>

#include "ui/Control.h"

class QWebEngineView;

namespace ui {

class WebBrowser : public QWidget, public Control {
 public:
  explicit WebBrowser(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }
  bool SetAttribute(const QString& name, const QString& value) override;

  // Shows the page at `url`; the view never opens dialog boxes of its own.
  void Navigate(const QString& url);
  QUrl url() const;
  // The view, created on first use.
  QWebEngineView* view();

 private:
  QWebEngineView* view_ = nullptr;
  QString homePage_;
};

}  // namespace ui
