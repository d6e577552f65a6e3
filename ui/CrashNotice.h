#pragma once
// The notice after a crash. The crashed process only writes its dump and starts this
// program again with kCrashNoticeFlag; the fresh process shows the fatal text in the
// program's message box, with a button that opens the dump's folder. It runs nothing of
// the program's start-up: above all it keeps the log the crash left.
#include <string>

namespace ui {

constexpr char kCrashNoticeFlag[] = "--crash-notice";

// Only the program itself answers kCrashNoticeFlag: other programs over the same windows
// (the screenshot tool) leave the notice unset.
void EnableCrashNotice();
// Has the crash handler start this program as the notice, with the texts of this language,
// once enabled.
void SetUpCrashNotice(const std::string& languageFile);

// argv: PROGRAM --crash-notice LANGUAGE_FILE TEXT DUMP_PATH. Returns the exit code.
int RunCrashNotice(int argc, char** argv);

}  // namespace ui
