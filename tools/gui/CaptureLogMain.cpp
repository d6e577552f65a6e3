// CaptureLog: the program's logs, the SDK settings and crash dumps packed into one archive.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "tools/LogCapture.h"
#include "tools/ToolStart.h"
#include "tools/gui/ToolInteraction.h"
#include "tools/gui/ToolLook.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The SDK is not needed here; the tool only shares the log set-up.
  core::SilentInteraction quiet;
  std::string ignored;
  tools::StartTool("CaptureLog", quiet, &ignored);
  using tools::ToolText;
  QWidget window;
  tools::PrepareToolWindow(window);
  window.setWindowTitle("CaptureLog");
  QLabel heading;
  QLineEdit where;
  where.setReadOnly(true);
  QPlainTextEdit contents;
  contents.setReadOnly(true);
  QPushButton openFolder(ToolText("Open folder")), again(ToolText("Capture again")),
      close(ToolText("Close"));
  openFolder.setProperty("primary", true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(&openFolder);
  buttons->addWidget(&again);
  buttons->addStretch();
  buttons->addWidget(&close);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(&heading);
  layout->addWidget(&where);
  layout->addWidget(&contents, 1);
  layout->addLayout(buttons);
  window.resize(560, 360);

  const std::string root = platform::CurrentDirectory();
  tools::CaptureResult last;
  const auto capture = [&] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    last = tools::CaptureLogs(
        {root, platform::JoinPath(root, "Logs"), tools::DefaultSdkSettings(), tools::TimeStamp()});
    QApplication::restoreOverrideCursor();
    heading.setText(last.ok ? ToolText("The logs are collected in:")
                            : ToolText("The logs could not be collected:"));
    where.setText(QString::fromStdString(last.ok ? last.archive : last.error));
    QString list;
    for (const auto& e : last.entries) list += QString::fromStdString(e) + "\n";
    contents.setPlainText(list);
    openFolder.setEnabled(last.ok);
  };
  QObject::connect(&again, &QPushButton::clicked, capture);
  QObject::connect(&close, &QPushButton::clicked, [&] { window.close(); });
  QObject::connect(&openFolder, &QPushButton::clicked,
                   [&] { platform::ShellOpen(platform::FolderOf(last.archive)); });
  window.show();
  tools::ScreenshotIfAsked(&window);
  capture();
  return app.exec();
}
