#pragma once
// The message box icon for the interaction interface's icon; header-only, so the tools share
// it without linking the window layer.
#include <QMessageBox>

#include "core/Interaction.h"

namespace ui {

inline QMessageBox::Icon MessageBoxIcon(core::MessageIcon icon) {
  switch (icon) {
    case core::MessageIcon::Error: return QMessageBox::Critical;
    case core::MessageIcon::Information: return QMessageBox::Information;
    case core::MessageIcon::Warning: return QMessageBox::Warning;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace ui
