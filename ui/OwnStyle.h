#pragma once
// The program's look for windows that are not built from a skin layout (the tools, the
// updater, the crash notice, the local pages of the web views): one table of colour rules,
// from which the style sheet is written. Every text colour of the table reads on its
// background (or, without one, on the window's) at 4.5:1 or better.
#include <QColor>
#include <QList>
#include <QString>

namespace ui {

struct StyleRule {
  QString selector;
  QColor text;        // invalid: inherited
  QColor background;  // invalid: the nearest enclosing rule's
  QString more;       // borders, spacing, fonts
};

// The window rule comes first; the others are read against it where they have no
// background of their own.
const QList<StyleRule>& OwnStyleRules();
QString OwnStyleSheet();

}  // namespace ui
