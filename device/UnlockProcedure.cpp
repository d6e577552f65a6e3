#include "device/UnlockProcedure.h"

#include "core/ProgramTexts.h"

namespace device {

ConsoleResult UnlockDevice(core::Interaction& ui, const std::function<std::string()>& address,
                           const ConsoleOptions& options) {
  if (ui.ShowTip("LUWNDTIP", core::Text(core::TextId::kUnlockQuestion), 1) == 2)
    return kConsoleNoReply;
  const ConsoleResult result = RunConsoleDialogue(address(), options);
  ui.ShowTip("LUWNDTIP", core::Text(core::TextId::kDeviceUnlocked), 0);
  return result;
}

}  // namespace device
