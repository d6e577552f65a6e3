#include "ui/CrashNotice.h"

#include <QApplication>
#include <QFont>

#include "core/ProgramTexts.h"
#include "core/ZGUILanguage.h"
#include "platform/CrashReport.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "ui/MessageDialog.h"

namespace ui {
namespace {

bool g_enabled = false;

}  // namespace

void EnableCrashNotice() { g_enabled = true; }

void SetUpCrashNotice(const std::string& languageFile) {
  if (!g_enabled) return;
  platform::SetCrashNotice(QCoreApplication::applicationFilePath().toStdString(),
                           {kCrashNoticeFlag, languageFile});
}

int RunCrashNotice(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string languageFile = argv[2], dumpFolder = platform::FolderOf(argv[4]);
  QApplication app(argc, argv);
  app.setApplicationName("OrbManager");
  QFont font("Noto Sans CJK SC");
  font.setPixelSize(13);
  app.setFont(font);
  // Only the texts: the language file is read, nothing else of the start-up runs.
  core::ZGUILanguage language(1, languageFile);
  if (language.Load()) core::MergeDefaultTexts(language);

  MessageDialog notice("OrbManager", QString::fromUtf8(argv[3]), false);
  notice.setMinimumWidth(560);
  notice.AddAction(QString::fromStdString(core::Text(core::TextId::kOpenFolder)),
                   [dumpFolder] { platform::ShellOpen(dumpFolder); });
  notice.Run();
  return 0;
}

}  // namespace ui
