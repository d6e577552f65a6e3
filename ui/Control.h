#pragma once
// The base of every control of the window layer: a name, attributes set by name in the
// layout library's syntax, the shared look (colours, border, images, text placement) and
// the notification it sends to its window.
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QString>
#include <QWidget>

#include "ui/Look.h"

class QPainter;

namespace ui {

class PaintManager;

struct LookState {
  bool hot = false;
  bool pushed = false;
  bool selected = false;
  bool disabled = false;
  bool focused = false;
};

struct ControlLook {
  QColor bk, bk2, hotBk, pushedBk, selectedBk, disabledBk;
  QColor border, focusBorder;
  int borderSize = 0;
  int borderRound = 0;
  QColor text{0x1F, 0x29, 0x37};  // the skins' #FF1F2937
  // Disabled text still reads (4.8:1 on white) while looking paler than the normal text.
  QColor hotText, pushedText, selectedText, disabledText{0x6B, 0x72, 0x80};
  int font = -1;
  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
  QMargins textPadding;
  bool wordBreak = false;
  ImageSpec bkImage, normalImage, hotImage, pushedImage, selectedImage, foreImage, disabledImage;
};

class Control {
 public:
  explicit Control(QString className) : className_(std::move(className)) {}
  virtual ~Control() = default;

  virtual QWidget* widget() = 0;
  // One attribute by name, as a layout file writes it. False for unknown names.
  virtual bool SetAttribute(const QString& name, const QString& value);
  virtual void SetText(const QString& text);
  virtual QString text() const { return text_; }

  const QString& className() const { return className_; }
  QString name() const;
  void SetName(const QString& name);
  void SetVisible(bool visible);
  bool IsVisible();
  void SetEnabled(bool enabled);
  bool IsEnabled();
  void SetToolTip(const QString& tip);
  void SetTextColor(const QColor& color);
  void SetBkColor(const QColor& color);
  void SetFont(int index);
  const QString& userData() const { return userData_; }
  void SetUserData(const QString& data) { userData_ = data; }

  ControlLook& look() { return look_; }
  const ControlLook& look() const { return look_; }
  PaintManager* manager() const { return manager_; }
  virtual void SetManager(PaintManager* manager);

 protected:
  // Sends a notification of `type` from this control to its window.
  void Notify(const QString& type, int wParam = 0);
  QFont FontOf(int index) const;
  QString skinFolder() const;
  // Background colour, border, background image and the state image.
  void PaintBox(QPainter& painter, const QRect& bounds, const LookState& state);
  void PaintLabelText(QPainter& painter, const QRect& bounds, const LookState& state,
                      const QString& text);
  void Repaint();

  ControlLook look_;
  QString text_;

 private:
  QString className_;
  QString userData_;
  PaintManager* manager_ = nullptr;
};

// The control behind a widget, or none.
Control* ControlOf(QObject* object);

}  // namespace ui
