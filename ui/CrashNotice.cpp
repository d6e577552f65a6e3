#include "ui/CrashNotice.h"

#include <QApplication>
#include <QFont>

#include "core/ProgramTexts.h"
#include "core/ZGUILanguage.h"
#include "platform/CrashReport.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "ui/CTipWnd.h"

namespace ui {
namespace {

constexpr unsigned kOpenFolderText = 1141;

// The message window with OK and a second button that opens the dump's folder; the text is
// shown whole, however long the dump's path.
class CrashNoticeWnd : public CTipWnd {
 public:
  CrashNoticeWnd(QString text, std::string dumpFolder)
      : CTipWnd(text, 1, nullptr), fullText_(std::move(text)), dumpFolder_(std::move(dumpFolder)) {}

 protected:
  void OnFindControl() override {
    CTipWnd::OnFindControl();
    if (Control* text = FindControl("textTip")) text->SetText(fullText_);
    openFolder_ = FindControl("btnCancel");
    if (openFolder_) openFolder_->SetText(QString::fromStdString(core::Text(kOpenFolderText)));
  }
  void OnClick(TNotifyUI& msg) override {
    if (msg.pSender && msg.pSender == openFolder_)
      platform::ShellOpen(dumpFolder_);
    else
      CTipWnd::OnClick(msg);
  }

 private:
  QString fullText_;
  std::string dumpFolder_;
  Control* openFolder_ = nullptr;
};

}  // namespace

void SetUpCrashNotice(const std::string& skinFolder, const std::string& languageFile) {
  platform::SetCrashNotice(QCoreApplication::applicationFilePath().toStdString(),
                           {kCrashNoticeFlag, skinFolder, languageFile});
}

int RunCrashNotice(int argc, char** argv) {
  if (argc != 6) return 2;
  const std::string skinFolder = argv[2], languageFile = argv[3], dumpPath = argv[5];
  QApplication app(argc, argv);
  app.setApplicationName("OrbManager");
  QFont font("Noto Sans CJK SC");
  font.setPixelSize(13);
  app.setFont(font);
  // Only the texts: the language file is read, nothing else of the start-up runs.
  core::ZGUILanguage language(1, languageFile);
  if (language.Load()) core::MergeDefaultTexts(language);
  PaintManager::SetResourcePath(QString::fromStdString(skinFolder));

  auto* window = new CrashNoticeWnd(QString::fromUtf8(argv[4]), platform::FolderOf(dumpPath));
  window->Create(nullptr, "CRASHTIP", false);
  window->setFixedSize(560, 240);
  window->CenterWindow();
  window->ShowModal();
  return 0;
}

}  // namespace ui
