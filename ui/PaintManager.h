#pragma once
// One per window: the skin folder, the window's font table and default attributes from
// its layout, control look-up by name, and the notifications of its controls.
#include <QFont>
#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace ui {

class Control;

// A notification by type name: "windowinit", "click", "selectchanged", "itemclick",
// "itemactivate", "link", "itemselect".
struct TNotifyUI {
  QString sType;
  Control* pSender = nullptr;
  int wParam = 0;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

class PaintManager {
 public:
  // The folder every layout and image is read from (the program folder plus skin/EN or
  // skin/CS), set once at start-up.
  static void SetResourcePath(const QString& folder);
  static QString GetResourcePath();

  explicit PaintManager(QWidget* window) : window_(window) {}

  void AddNotifier(INotifyUI* notifier) { notifier_ = notifier; }
  void SendNotify(Control* sender, const QString& type, int wParam = 0);

  // A control of this window by its layout name, or none.
  Control* FindControl(const QString& name) const;

  void AddFont(int id, const QFont& font, bool isDefault);
  QFont Font(int index) const;
  void AddDefaultAttributes(const QString& controlClass, const QString& attributes);
  QString DefaultAttributes(const QString& controlClass) const;

  QString skinFolder() const { return GetResourcePath(); }
  QWidget* window() const { return window_; }

 private:
  QWidget* window_;
  INotifyUI* notifier_ = nullptr;
  QMap<int, QFont> fonts_;
  QFont defaultFont_;
  bool hasDefaultFont_ = false;
  QHash<QString, QString> defaults_;
};

}  // namespace ui
