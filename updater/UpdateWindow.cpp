#include "updater/UpdateWindow.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/OwnStyle.h"
#include "ui/OwnTexts.h"

namespace updater {
namespace {

QString StepText(UpdateStage stage) {
  switch (stage) {
    case UpdateStage::Downloading:
      return ui::OwnText("Downloading the new version...");
    case UpdateStage::Checking:
      return ui::OwnText("Checking the download...");
    case UpdateStage::Unpacking:
      return ui::OwnText("Unpacking...");
    case UpdateStage::Replacing:
      return ui::OwnText("Replacing the program files...");
    case UpdateStage::Finished:
      return ui::OwnText("Starting the new version...");
  }
  return {};
}

}  // namespace

UpdateWindow::UpdateWindow(const QString& ownVersion, const QString& newVersion) {
  setObjectName("OrbUpdate");
  setWindowTitle("OrbUpdate");
  setStyleSheet(ui::OwnStyleSheet());
  auto* layout = new QVBoxLayout(this);
  auto* heading =
      new QLabel(ui::OwnText("Updating OrbManager %1 to %2").arg(ownVersion, newVersion), this);
  heading->setObjectName("labelHeading");
  step_ = new QLabel(ui::OwnText("Starting..."), this);
  step_->setObjectName("labelStep");
  step_->setWordWrap(true);
  bar_ = new QProgressBar(this);
  bar_->setObjectName("progress");
  bar_->setRange(0, 1000);
  close_ = new QPushButton(ui::OwnText("Close"), this);
  close_->setObjectName("btnClose");
  close_->hide();
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  layout->addWidget(heading);
  layout->addWidget(step_);
  layout->addWidget(bar_);
  layout->addWidget(close_, 0, Qt::AlignRight);
  resize(440, 150);
}

void UpdateWindow::PostProgress(UpdateStage stage, std::uint64_t done, std::uint64_t total) {
  QMetaObject::invokeMethod(
      this,
      [this, stage, done, total] {
        step_->setText(StepText(stage));
        const int share =
            total ? static_cast<int>(std::min<std::uint64_t>(done, total) * 250 / total) : 0;
        // The download fills the first half by bytes, the later steps the rest.
        switch (stage) {
          case UpdateStage::Downloading:
            bar_->setValue(share * 2);
            break;
          case UpdateStage::Checking:
            bar_->setValue(550);
            break;
          case UpdateStage::Unpacking:
            bar_->setValue(700);
            break;
          case UpdateStage::Replacing:
            bar_->setValue(850);
            break;
          case UpdateStage::Finished:
            bar_->setValue(1000);
            break;
        }
      },
      Qt::QueuedConnection);
}

void UpdateWindow::ShowFailure(const QString& reason) {
  step_->setText(
      ui::OwnText("The update failed: %1.\nThe installed version stays and is started again.")
          .arg(reason));
  close_->show();
}

void UpdateWindow::ShowSuccess() {
  step_->setText(StepText(UpdateStage::Finished));
  bar_->setValue(1000);
}

}  // namespace updater
