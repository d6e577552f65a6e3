#pragma once
// Ending the program at once with an exit code and no clean-up (a confirmed language
// change, saved communication settings). Tests replace the action to see it happen.
#include <functional>

namespace ui {

[[noreturn]] void DefaultProgramExit(int code);
void EndProgram(int code);
// Replaces the exit action; an empty function restores the default.
void SetProgramExit(std::function<void(int)> action);

}  // namespace ui
