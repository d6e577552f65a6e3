#include "ui/ProgramExit.h"

#include <cstdio>
#include <cstdlib>

#include "core/Log.h"

namespace ui {
namespace {
std::function<void(int)>& Action() {
  static std::function<void(int)> action;
  return action;
}
}  // namespace

void DefaultProgramExit(int code) {
  core::Log()->flush();
  std::fflush(nullptr);
  std::_Exit(code);
}

void EndProgram(int code) {
  if (Action())
    Action()(code);
  else
    DefaultProgramExit(code);
}

void SetProgramExit(std::function<void(int)> action) { Action() = std::move(action); }

}  // namespace ui
