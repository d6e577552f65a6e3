#pragma once
// The tools in the program's look and language: the configured language's program texts
// (message box buttons) and the tool windows' own texts, and the program's style sheet.
#include <QString>
#include <QWidget>

namespace tools {

// After the configuration is loaded: the language table merged into the program texts and
// the program's look on the tool's window.
void PrepareToolWindow(QWidget& window);
// A tool window's own text in the configured language; the English text stands for itself.
QString ToolText(const char* english);

}  // namespace tools
