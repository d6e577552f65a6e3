// The window layer and the common windows: attributes, the message window, the progress
// window, and changes carried over from worker threads.
#include <QImage>
#include <QTest>
#include <atomic>
#include <thread>
#include <tuple>

#include "core/ForwardingInteraction.h"
#include "platform/Clock.h"
#include "ui/CProgressWnd.h"
#include "ui/CTipWnd.h"
#include "ui/Controls.h"
#include "ui/DeviceBaseWnd.h"
#include "ui/GuiInteraction.h"
#include "ui/UiThread.h"
#include "ui/WindowView.h"
#include "ui/tests/UiTestSupport.h"

namespace {

class WindowTests : public QObject {
  Q_OBJECT

 private slots:
  // The message window's answer by type (0: OK only, 1: OK-Cancel) when it is closed, left
  // with Escape, or answered with Enter one step back from OK (the focus starts on OK). Its
  // buttons and Enter on OK answer the procedure's questions below.
  void tipAndProgressWindows() {
    for (const auto& [type, action, result] : {std::tuple{1, Qt::Key_unknown, 1},
                                               {1, Qt::Key_Escape, 2},
                                               {0, Qt::Key_Escape, 1},
                                               {1, Qt::Key_Backtab, 2}}) {
      QString seen;
      uitest::WhenShown("CUSCFG", [&, action = action](QWidget* w) {
        auto* window = static_cast<ui::WindowImplBase*>(w);
        seen =
            window->FindControl("textTip")->text() + (window->FindControl("btnCancel") ? "+" : "");
        if (action == Qt::Key_unknown) return void(window->close());
        QTest::keyClick(window->FindControl("btnClose")->widget(), action);
        if (action == Qt::Key_Backtab) QTest::keyClick(w->focusWidget(), Qt::Key_Return);
      });
      QCOMPARE(ui::CTipWnd::Show(nullptr, "CUSCFG", "Confirm device config !", type), result);
      QCOMPARE(seen, QString("Confirm device config !") + (type == 1 ? "+" : ""));
    }

    // The progress window passes the owner's end to its ticker (whose rule is tested on its
    // own).
    platform::ScaledClock fast(0.002);  // a tick every 2 ms
    platform::SetClock(&fast);
    std::atomic<bool> done{false};
    auto* window = new ui::CProgressWnd("tip", "title", "step", 5, &done);
    window->SetTickObserver([&](int n) { done = done || n == 2; });
    window->Create(nullptr, "HWRSTWND", false);
    QCOMPARE(window->FindControl("labelTitle")->text(), QString("title"));
    window->ShowModal();
    platform::SetClock(nullptr);
    QCOMPARE(std::pair(window->ticks(), window->barValue()), std::pair(3, 5));
  }

  // A procedure on a worker: what it shows lands in the window that started it, never in the
  // one in front, and its questions wait for the answer. Changes posted from a worker arrive
  // on the window's thread, in order.
  void procedureOnAWorker() {
    ui::GuiInteraction gui;
    auto* starter = uitest::ShowNew<ui::DeviceBaseWnd>("STARTER", "ProgressWnd.xml");
    ui::WindowView view(*starter, "textTip", "tipProgress");
    core::ForwardingInteraction procedureUi(gui, view);
    auto* front = uitest::ShowNew<ui::DeviceBaseWnd>("FRONT", "ProgressWnd.xml");
    front->activateWindow();
    QTRY_VERIFY(front->isActiveWindow());
    const auto shows = [](ui::DeviceBaseWnd* w) {
      auto* bar = w->Find<ui::Progress>("tipProgress");
      return w->FindControl("textTip")->text() + "|" + w->FindControl("labelStep")->text() + "|" +
             QString::number(bar->GetValue()) + "/" + QString::number(bar->GetMaxValue());
    };
    const QString frontBefore = shows(front);
    QString shownWhenAsked;
    uitest::WhenShown("LUWNDTIP", [&](QWidget* w) {
      shownWhenAsked = shows(starter);
      uitest::Click(w, "btnCancel");
    });
    // The procedures' message boxes are message windows too, answered with the keys.
    uitest::WhenShown("Update", [](QWidget* w) {
      QTest::keyClick(static_cast<ui::WindowImplBase*>(w)->FindControl("btnClose")->widget(),
                      Qt::Key_Return);
    });
    std::atomic<int> answer{0};
    std::atomic<bool> boxOk{false}, finished{false};
    std::vector<int> seen;
    bool offThread = false;
    std::thread worker([&] {
      for (int i = 0; i < 400; ++i)
        starter->PostToControl("labelStep", [&, i](ui::Control&) {
          offThread = offThread || !ui::IsUiThread();
          seen.push_back(i);
        });
      gui.SetStatus("no window of its own");
      procedureUi.SetStatus("Checking DoIP system status...");
      procedureUi.SetLabel("labelStep", "step 2");
      procedureUi.SetProgress(30, 120);
      answer = procedureUi.ShowTip("LUWNDTIP", "Sure unlock device?", 1);
      boxOk = procedureUi.AskOkCancel("Update now?", "Update", core::MessageIcon::None);
      finished = true;
    });
    QTRY_VERIFY(finished.load());
    worker.join();
    QVERIFY(answer == 2 && boxOk && seen.size() == 400u && !offThread);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(shownWhenAsked, QString("Checking DoIP system status...|step 2|30/120"));
    QCOMPARE(shows(front), frontBefore);
    front->Close();
    starter->Close();
  }

  // A picture lies in its destination only; a layout that is missing gives an empty window.
  void imagesAndMissingLayouts() {
    auto* window = uitest::ShowNew<ui::DeviceBaseWnd>("IMAGE", "TipWnd2.xml");
    ui::Control* text = window->FindControl("textTip");
    text->SetText("");
    QVERIFY(text->SetAttribute("bkcolor", "#FFFFFFFF"));
    QVERIFY(text->SetAttribute("bkimage", "file='conn_usb.png' dest='10,10,42,42'"));
    text->widget()->resize(200, 100);
    const QImage image = text->widget()->grab().toImage();
    QVERIFY(image.pixelColor(5, 5) == Qt::white && image.pixelColor(60, 30) == Qt::white &&
            image.pixelColor(26, 26) != Qt::white);
    window->Close();
    auto* empty = new ui::DeviceBaseWnd("NoSuchWnd.xml");
    QVERIFY(empty->Create(nullptr, "EMPTY", false) && !empty->FindControl("btnClose"));
    empty->Close();
  }
};

}  // namespace

UITEST_RUNNER(WindowTests)

#include "WindowTests.moc"
