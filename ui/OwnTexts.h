#pragma once
// The texts of the windows without a skin layout (the tools, the updater) in the configured
// language. They are small programs of their own beside the program's text table, so their
// window texts live here, in both languages; the English text stands for itself.
#include <QString>

namespace ui {

// `english` in the language of the loaded configuration; unknown texts stay English.
QString OwnText(const char* english);

}  // namespace ui
