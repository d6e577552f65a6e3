#include "firmware/DeviceReset.h"

#include <atomic>
#include <memory>

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "device/DeviceOPThread.h"
#include "device/ZKRYDevice.h"
#include "firmware/ModuleMessages.h"
#include "firmware/WebSocket.h"
#include "platform/Clock.h"
#include "platform/Deadline.h"

namespace firmware {
namespace {

constexpr char kNoticeWindow[] = "LRESETWNDTIP";
constexpr int kRebootReadMs = 100;
constexpr std::int64_t kRebootRepliesMs = 5000;

// One timed wait: the progress window runs until the operation thread reports done, or by
// itself when that thread is busy with an earlier wait.
void TimedWait(ResetContext& ctx, const core::ProgressWindowSpec& spec,
               device::DeviceOPThread::WaitFor option) {
  const auto done = std::make_shared<std::atomic<bool>>(false);
  const bool handed =
      ctx.operations.StartOperation(device::DeviceOPThread::Operation::Wait, option, done, ctx.use);
  ctx.ui.ShowProgressWindow(spec, *done);
  // The next step waits for a handed-over wait to end: the thread holds the adapter until
  // then and would turn the next wait away.
  while (handed && !done->load()) platform::SleepMs(5);
}

}  // namespace

bool SendModuleReboot(const std::string& address, const std::string& port) {
  ws_context* context = ws_context_new();
  if (!context) return false;
  ws_conn* conn = conn_connect(context, address.c_str(), port.c_str());
  bool sent = false;
  const auto message = ExecCmdMessage("reboot");
  if (conn && message) {
    sent = conn_send_text(conn, *message) == static_cast<std::int64_t>(message->size());
    if (sent) {
      // Whatever the module answers is read and dropped until it falls silent, or for five
      // seconds at most: a module that never stops answering must not hold the page.
      const auto limit = platform::Deadline::After(kRebootRepliesMs);
      char buffer[kWsReadBufferSize + 1];
      while (conn_read(conn, buffer, kRebootReadMs) > 0) {
        if (limit.Passed()) {
          LOG_WARN("The module keeps answering the reboot command; it is left.");
          break;
        }
      }
    }
  }
  if (conn) conn_close(conn);
  ws_context_free(context);
  return sent;
}

ResetOutcome HWReset(device::ZKRYDevice* device, ResetContext& ctx) {
  ResetOutcome outcome;
  if (!device) return outcome;
  LOG_INFO("Reset device");
  const std::int32_t opened = device->Open();
  if (opened != 0) {
    const bool inUse = opened == KRY_ERR_IN_USE || device->inUse();
    ctx.ui.ShowTip(
        kNoticeWindow,
        core::Text(inUse ? core::TextId::kResetInUseQuestion : core::TextId::kNotConnected), 0);
    return outcome;
  }
  // The question gets a real choice: Cancel leaves the adapter as it was, closed again and
  // with the report the page already shows.
  if (ctx.ui.ShowTip(kNoticeWindow, core::Text(core::TextId::kResetQuestion), 1) == 2) {
    LOG_INFO("Reset cancelled");
    device->Close();
    return outcome;
  }
  device->_ReadHWInfo();
  const bool hasModule = device->HasDoIPModule();
  const std::string address = device->address();
  if (device->sdk().KRY_DEV_Reset) device->sdk().KRY_DEV_Reset(device->handle());
  outcome.reset = true;

  core::ProgressWindowSpec vci{"HWRSTWND", core::Text(core::TextId::kRestartCommModule),
                               core::Text(core::TextId::kResetDevice),
                               hasModule ? "[1/2]" : "[1/1]", 5};
  if (hasModule) LOG_INFO("Reset VCI");
  TimedWait(ctx, vci, device::DeviceOPThread::WaitFor::Adapter);
  if (ctx.setConnectionPicture) ctx.setConnectionPicture("conn_unknow.png");
  device->Close();

  if (hasModule) {
    LOG_INFO("Reset DoIP");
    outcome.moduleStep = true;
    outcome.rebootSent = !address.empty() && SendModuleReboot(address, ctx.modulePort);
    core::ProgressWindowSpec module{"HWRESETTIP", core::Text(core::TextId::kRestartSystem),
                                    core::Text(core::TextId::kResetDevice), "[2/2]", 40};
    TimedWait(ctx, module, device::DeviceOPThread::WaitFor::Module);
  }
  if (ctx.refreshReport) ctx.refreshReport();
  return outcome;
}

}  // namespace firmware
