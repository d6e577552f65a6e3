#include "tools/gui/ToolLook.h"

#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "core/ZGUILanguage.h"
#include "ui/OwnStyle.h"
#include "ui/OwnTexts.h"

namespace tools {

void PrepareToolWindow(QWidget& window) {
  const core::ZConfig& config = core::ZConfig::Instance();
  core::ZGUILanguage language(config.language, config.languageFile);
  // Without a language file the built-in English texts stay.
  if (language.Load()) core::MergeDefaultTexts(language);
  window.setStyleSheet(ui::OwnStyleSheet());
}

QString ToolText(const char* english) { return ui::OwnText(english); }

}  // namespace tools
