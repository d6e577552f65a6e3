#include "ui/CDialogBuilderCallbackEx.h"

#include "ui/PaintManager.h"

namespace ui {

Control* CDialogBuilderCallbackEx::CreateControl(const QString& elementName) {
  if (elementName != "AppManagerWnd") return nullptr;
  auto* owner = new COwnerUI;
  if (!manager_) return owner;
  // Built without a callback: the inner layout cannot nest itself.
  DialogBuilder builder;
  if (Control* root = builder.Create("AppManagerWnd.xml", manager_)) owner->Add(root);
  return owner;
}

}  // namespace ui
