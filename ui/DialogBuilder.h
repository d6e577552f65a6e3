#pragma once
// Builds a control tree from an XML layout file of the skin folder (read with TinyXML).
// The root element "Window" carries the window's attributes (size, caption, roundcorner),
// its fonts (<Font id=.. name=.. size=.. bold=.. default=..>) and default attributes per
// control kind (<Default name="Button" value="textcolor=&quot;#FF000000&quot;">); its first
// other element is the root control.
#include <QHash>
#include <QString>

class QWidget;

namespace ui {

class Control;
class PaintManager;

class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // A control for a custom element name, or none to skip the element.
  virtual Control* CreateControl(const QString& elementName) = 0;
};

class DialogBuilder {
 public:
  // The root control, or none when the file is missing or holds no control.
  Control* Create(const QString& layoutFile, PaintManager* manager,
                  IDialogBuilderCallback* callback = nullptr);
  const QHash<QString, QString>& windowAttributes() const { return windowAttributes_; }

 private:
  QHash<QString, QString> windowAttributes_;
};

// Applies an attribute list written as name="value" pairs.
void ApplyAttributeList(Control* control, const QString& list);

}  // namespace ui
