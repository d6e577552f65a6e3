#include "device/UnlockProcedure.h"

#include "core/ProgramTexts.h"

namespace device {

ConsoleResult UnlockDevice(core::Interaction& ui, const std::function<std::string()>& address,
                           const ConsoleOptions& options) {
  if (ui.ShowTip("LUWNDTIP", core::Text(core::TextId::kUnlockQuestion), 1) == 2)
    return kConsoleNoReply;
  const ConsoleResult result = RunConsoleDialogue(address(), options);
  // "Refresh to see the device status" only when the console answered; a console that never
  // did freed nothing, and saying it unlocked the device would send the user looking for it.
  ui.ShowTip("LUWNDTIP",
             core::Text(result == kConsoleNoReply ? core::TextId::kConsoleNoAnswer
                                                  : core::TextId::kDeviceUnlocked),
             0);
  return result;
}

}  // namespace device
