#pragma once
// Shared by the GUI tests: a program root in a temporary folder, the skins of the build,
// and helpers that click controls of windows that are running modally.
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <functional>
#include <string>
#include <utility>

#include "ui/Control.h"

namespace uitest {

// The temporary program root (Config/, Language/, KRY.ini), made once per run.
const std::string& Root();
std::string KryIni();
// Rewrites KavoraC.ini with these CONFIG lines and loads the configuration again.
void WriteConfig(const std::string& configLines);
void UseSkin(const char* language);

// Clicks a control of the window, as the user would.
void Click(QWidget* window, const QString& control);
// Text colours of the window's controls that read below 4.5:1 on their backgrounds, in the
// normal, hot and disabled states; one line each, starting with `where`.
QStringList ContrastFailures(QWidget* window, const QString& where);
// The addresses the program handed to the desktop's opener (a script that notes them), in
// sorted order since the openers run side by side; Forget starts a new list.
std::string OpenedAddresses();
void ForgetOpenedAddresses();
// A new window of class W built from its layout under that window name, and shown.
template <typename W, typename... Args>
W* ShowNew(const char* windowName, Args&&... args) {
  auto* window = new W(std::forward<Args>(args)...);
  window->Create(nullptr, windowName, false);
  window->show();
  return window;
}
// Runs `action` once the window of that name is up (the window may be modal).
void WhenShown(const QString& windowName, const std::function<void(QWidget*)>& action);

}  // namespace uitest

// Fails the test with the list of unreadable texts of the window, if any.
#define UITEST_VERIFY_READABLE(window, where)                                    \
  do {                                                                           \
    const QStringList unreadable_ = uitest::ContrastFailures((window), (where)); \
    QVERIFY2(unreadable_.isEmpty(), qPrintable(unreadable_.join('\n')));         \
  } while (false)
// Defines Run<Class>(argc, argv), which ui_test_main.cpp calls in its order.
#define UITEST_RUNNER(Class)                 \
  int Run##Class(int argc, char** argv) {    \
    Class tests;                             \
    return QTest::qExec(&tests, argc, argv); \
  }
