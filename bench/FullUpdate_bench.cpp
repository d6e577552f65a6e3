// One full firmware update, VCI and DoIP module, through the firmware job against the
// simulator in real time, beside the sum of the waits the procedure is made of (its pauses
// and read time-outs, and the adapter's own write and reboot times). The two should differ
// by the real work only: a few percent.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec/MD5.h"
#include "core/Interaction.h"
#include "core/ZConfig.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/FirmwareUpdateJob.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

// The simulated adapter's times (its defaults): the module's mount phase, its upgrade and
// the VCI write.
constexpr int kMountPolls = 2;
constexpr int kFirmwareWriteMs = 4000;
constexpr int kUpgradeMs = 60000;
constexpr int kPieceBytes = 16384;

long Pieces(const std::string& path) {
  const auto bytes = platform::ReadFile(path);
  return bytes ? static_cast<long>((bytes->size() + kPieceBytes - 1) / kPieceBytes) : 0;
}

// Milliseconds of waiting the update consists of, step by step as the procedure runs.
long FixedWaitsMs(long toolPieces, long imagePieces) {
  long ms = 0;
  ms += kFirmwareWriteMs + 1000;  // the adapter writes; the job pauses after it
  ms += (kMountPolls + 1) * 1000 + kMountPolls * 1000;  // mount checks read 1 s each, 1 s apart
  ms += 1000;                                           // pause after the check
  ms += 200;                                            // release read
  ms += 1000 + 3000 + toolPieces * 32;                  // tool: reply read, pause, pieces
  ms += 1000 + 1000;                                    // chmod and md5sum reads
  ms += 1000 + 3000 + imagePieces * 32;                 // image
  ms += 500 + 1000;                                     // pause, md5sum read
  ms += 1000 + std::max(96000, kUpgradeMs);             // upgrade read, reboot wait
  ms += 5000 + 200;                                     // pause, release read
  ms += 1000;                                           // pause after the update
  return ms;
}

std::string Run(const std::string& command) {
  return std::system((command + " >/dev/null").c_str()) == 0 ? "" : "failed: " + command;
}

}  // namespace

int main() {
  testing_support::TempFolder root;
  ::setenv("XDG_CONFIG_HOME", root.path().c_str(), 1);
  ::unsetenv("KAVORA_TIME_SCALE");
  platform::CreateFolders(root / "kry");
  platform::CreateFolders(root / "Download");
  const std::string sim = VCI_SIM_PATH;
  platform::WriteFile(root / "release.txt",
                      "[release]\nopenwrt=V1.1.0\nuboot=2020.04\ndevice=DOIPMOD\n[checksum]\n"
                      "openwrt=none\n[module]\nversion=V1.1.0\ndate=20250102\n");
  for (const auto& error : {Run(sim + " --make-vci-image " + (root / "Download/KRY.bin") +
                                " KRYVCI 2.0.0.0 2025-01-02"),
                            Run(sim + " --make-doip-image " + (root / "Download/openwrt.bin") +
                                " " + (root / "release.txt"))}) {
    if (!error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
  }
  platform::WriteFile(root / "kry-fwup", "#!/bin/sh\n# module update tool\n");
  core::ZConfig& config = core::ZConfig::Instance();
  config.root = root.path();
  config.KRYFwUp = root / "kry-fwup";
  std::string toolSum = *codec::FileMD5Text(root / "kry-fwup");
  for (char& c : toolSum) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  config.KRYFwUpCheckSum = toolSum;
  platform::WriteFile(
      root / "fws.xml",
      "<FWS><ITEM><ID>1</ID><PID>769</PID><NAME>VCI "
      "firmware</NAME><VERSION>2.0.0.0</VERSION><MD5>" +
          *codec::FileMD5Text(root / "Download/KRY.bin") +
          "</MD5><URL>http://127.0.0.1:1/KRY.bin</URL></ITEM><ITEM><ID>2</ID><PID>1025</PID>"
          "<NAME>DoIP system</NAME><VERSION>V1.1.0</VERSION><MD5>" +
          *codec::FileMD5Text(root / "Download/openwrt.bin") +
          "</MD5><URL>http://127.0.0.1:1/o.bin</URL></ITEM></FWS>");
  firmware::ZKRYFirmwareManager catalogue;
  core::SilentInteraction quiet;
  if (!catalogue.Load(root / "fws.xml") || !device::ZKRYSdk::Instance().Load(quiet)) {
    std::fprintf(stderr, "set-up failed\n");
    return 1;
  }

  testing_support::VciSim adapter({"--module", "--mount-polls", std::to_string(kMountPolls),
                                   "--firmware-write-ms", std::to_string(kFirmwareWriteMs),
                                   "--upgrade-ms", std::to_string(kUpgradeMs)});
  if (!adapter.ok()) {
    std::fprintf(stderr, "vci-sim did not start\n");
    return 1;
  }
  adapter.WriteKryIni(root / "kry/KRY.ini");
  device::ZKRYDevice device;
  firmware::FirmwareJobSetup setup{device, catalogue, config, {root / "Download", false},
                                   quiet,  0x0301,    0x0401};
  firmware::FirmwareUpdateJob job(setup);
  job.Start();
  const auto start = std::chrono::steady_clock::now();
  if (!job.RequestUpdate()) {
    std::fprintf(stderr, "the job refused to start\n");
    return 1;
  }
  job.WaitIdle();
  const double realS =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto state = job.state();
  job.RequestClose();
  const double waitsS = static_cast<double>(FixedWaitsMs(Pieces(config.KRYFwUp),
                                                         Pieces(root / "Download/openwrt.bin"))) /
                        1000.0;
  std::printf("full update (VCI and DoIP module), real time: %.1f s  %s\n", realS,
              state.lastRun.ok() ? "Update Completed" : state.status.c_str());
  std::printf("sum of its fixed waits:                     %.1f s  (difference %+.1f%%)\n", waitsS,
              100.0 * (realS - waitsS) / waitsS);
  return state.lastRun.ok() ? 0 : 1;
}
