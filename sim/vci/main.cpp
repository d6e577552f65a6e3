// vci-sim: plays one adapter (and its DoIP module) on a loopback address for the SDK
// substitute and the program. See --help and sim/vci/README.md.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "sdk/KRYLink.h"
#include "sim/vci/ConsoleService.h"
#include "sim/vci/FirmwareImage.h"
#include "sim/vci/ModuleService.h"
#include "sim/vci/ModuleShell.h"
#include "sim/vci/SdkLink.h"
#include "sim/vci/TcpService.h"
#include "sim/vci/VciAdapter.h"
#include "sim/vci/VciProfile.h"

namespace {

using namespace vcisim;

constexpr int kModulePort = 7890;
constexpr int kConsolePort = 6822;

void PrintHelp() {
  std::cout
      << R"(usage: vci-sim --profile FILE --address ADDR [--sdk-port PORT] [options] [fault switches]
       vci-sim --make-vci-image OUT NAME VERSION DATE [PAYLOAD-BYTES]
       vci-sim --make-doip-image OUT RELEASE-FILE [PAYLOAD-BYTES]

Plays one adapter on the loopback address ADDR (127.0.0.0/8, e.g. 127.0.0.23; give every
simulator its own address). It serves:
  ADDR:PORT  the SDK's link (libKRY.so), default port 6800. KRY.ini [COMM] Type 3..8 with
             IPAddr=ADDR and Port=PORT reaches it; for USB, serial, Bluetooth and automatic
             the SDK uses KRY_SIM_ENDPOINT=ADDR:PORT, else KRY.ini [SIM] IPAddr and Port
             (default 127.0.0.1:6800).
  ADDR:7890  the DoIP module's command service (WebSocket, path "/"), when the profile has a
             module. Text frames carry JSON:
               { "cmd":"exec-cmd", "idx":"0", "command":"LINE"}  -> the output as text frames
                                                                   (none when it prints nothing)
               { "cmd":"put-file", "idx":"0", "size":"N","file":"PATH"} -> one text frame
                 "put-file ready\n", then N bytes as binary frames, stored in the sandbox
             Commands known: "ps | grep mount_root | grep -v grep | wc -l" ("1" for
             MountPolls checks after each boot, then "0"), "cat FILE", "chmod MODE FILE",
             "md5sum FILE" ("<lower-case md5>  FILE"), "ubus call rpc-sys upgrade_start"
             (starts /tmp/firmware.bin: the module leaves for UpgradeMs and comes back with
             the release the image carries), "reboot" (away for RebootMs).
  ADDR:6822  the adapter's console (Telnet): DO window size, WILL suppress-go-ahead, the
             prompt "->"; "showshortport" lists port 6820 (connected from [Console] Client,
             or "unconnected") and the prompt; "disconnect 6820" frees the port.

options:
  --profile FILE        the adapter (see PROFILE below); without it the defaults play
  --address ADDR        loopback address to serve on (127.0.0.1)
  --sdk-port PORT       port of the SDK's link (6800)
  --record FILE         append the record of what the adapter and module did to FILE;
                        the line "ready" follows once every service listens
  --sandbox DIR         the module's file system (default: a new folder under $TMPDIR)
  --mount-polls N       overrides [Module] MountPolls
  --reboot-ms MS        overrides [Module] RebootMs
  --upgrade-ms MS       overrides [Module] UpgradeMs
  --firmware-write-ms MS overrides [Timing] FirmwareWriteMs
  --console-client A    overrides [Console] Client ("" for none)
  --module              the adapter has a module even if the profile says not

fault switches (also in the profile's [Faults] section, NAME=1):
)";
  for (const auto& s : FaultSwitches())
    std::cout << "  --" << s.name << "\n      " << s.help << "\n";
  std::cout
      << "\n"
      << ProfileHelp()
      << "\nVCI image: header \"KRYVCIFW\", name (8), version (4 bytes), day, month, year-1970,\n"
         "0, payload length, FNV-1a of the payload (u32 LE each), payload.\n"
         "DoIP image: \"KRYOWRT1\\n\", the new /etc/release text (optional [module] version,\n"
         "date for the module's identity), \"\\nEND\\n\", payload.\n";
}

int MakeImage(const std::vector<std::string>& args) {
  const bool vci = args[0] == "--make-vci-image";
  if ((vci && args.size() < 5) || (!vci && args.size() < 3)) {
    std::cerr << "vci-sim: " << args[0] << " takes more arguments (see --help)\n";
    return 2;
  }
  const std::size_t payloadIndex = vci ? 5 : 3;
  const std::size_t payloadSize =
      args.size() > payloadIndex
          ? static_cast<std::size_t>(platform::ParseDecimal(args[payloadIndex]))
          : 4096;
  std::string payload(payloadSize, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i)
    payload[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  std::string image;
  if (vci) {
    VciFirmware fw;
    fw.name = args[2].substr(0, 8);
    if (!ParseVersion(args[3], fw.version) || !ParseDate(args[4], fw.day, fw.month, fw.year)) {
      std::cerr << "vci-sim: VERSION is like 1.2.3.4 and DATE like 2024-03-05\n";
      return 2;
    }
    image = MakeVciImage(fw, payload);
  } else {
    const auto release = platform::ReadFile(args[2]);
    if (!release) {
      std::cerr << "vci-sim: cannot read " << args[2] << "\n";
      return 1;
    }
    image = MakeDoipImage(*release, payload);
  }
  if (!platform::WriteFile(args[1], image)) {
    std::cerr << "vci-sim: cannot write " << args[1] << "\n";
    return 1;
  }
  return 0;
}

struct Options {
  std::string profile, address = "127.0.0.1", record, sandbox;
  int sdkPort = kry_link::kDefaultPort;
  std::map<std::string, std::string> overrides;
  std::vector<std::string> faults;
  bool module = false;
};

std::optional<Options> ParseOptions(const std::vector<std::string>& args) {
  Options o;
  const std::vector<std::string> valued = {"--mount-polls", "--reboot-ms", "--upgrade-ms",
                                           "--firmware-write-ms", "--console-client"};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    auto value = [&]() -> const std::string& { return args[++i]; };
    if (a == "--profile" && hasValue)
      o.profile = value();
    else if (a == "--address" && hasValue)
      o.address = value();
    else if (a == "--sdk-port" && hasValue)
      o.sdkPort = static_cast<int>(platform::ParseDecimal(value()));
    else if (a == "--record" && hasValue)
      o.record = value();
    else if (a == "--sandbox" && hasValue)
      o.sandbox = value();
    else if (a == "--module")
      o.module = true;
    else if (std::find(valued.begin(), valued.end(), a) != valued.end() && hasValue)
      o.overrides[a] = value();
    else {
      bool known = false;
      for (const auto& s : FaultSwitches()) known = known || a == std::string("--") + s.name;
      if (!known) {
        std::cerr << "vci-sim: unknown or incomplete argument '" << a << "' (see --help)\n";
        return std::nullopt;
      }
      o.faults.push_back(a.substr(2));
    }
  }
  return o;
}

void ApplyOverrides(const Options& o, Profile& p) {
  for (const auto& [key, value] : o.overrides) {
    const long long n = platform::ParseDecimal(value);
    if (key == "--mount-polls") p.mountPolls = static_cast<int>(n);
    if (key == "--reboot-ms") p.rebootMs = n;
    if (key == "--upgrade-ms") p.upgradeMs = n;
    if (key == "--firmware-write-ms") p.firmwareWriteMs = n;
    if (key == "--console-client") p.consoleClient = value;
  }
  for (const auto& name : o.faults)
    for (const auto& s : FaultSwitches())
      if (name == s.name) p.faults.*s.flag = true;
  if (o.module) p.hasModule = true;
}

std::string DefaultSandbox(const std::string& address) {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/vci-sim-" + address + "-XXXXXX";
  std::vector<char> name(base.begin(), base.end());
  name.push_back('\0');
  return ::mkdtemp(name.data()) ? std::string(name.data()) : base;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    PrintHelp();
    return 0;
  }
  if (!args.empty() && (args[0] == "--make-vci-image" || args[0] == "--make-doip-image"))
    return MakeImage(args);
  const auto options = ParseOptions(args);
  if (!options) return 2;
  // It stands in for hardware on this computer only: nothing beyond it may reach it.
  if (options->address.rfind("127.", 0) != 0) {
    std::cerr << "vci-sim: serves loopback addresses (127.x.x.x) only\n";
    return 2;
  }
  Profile profile;
  std::string error;
  if (!options->profile.empty() && !LoadProfile(options->profile, profile, error)) {
    std::cerr << "vci-sim: " << error << "\n";
    return 1;
  }
  ApplyOverrides(*options, profile);

  // Signals are taken by this thread only; every service thread starts after this.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  SimRecord record(options->address, options->record);
  std::unique_ptr<ModuleShell> shell;
  if (profile.hasModule) {
    shell = std::make_unique<ModuleShell>(
        profile, options->sandbox.empty() ? DefaultSandbox(options->address) : options->sandbox,
        record);
  }
  VciAdapter adapter(profile, options->address, options->sdkPort, record, shell.get());
  std::unique_ptr<ModuleService> moduleService;
  if (shell) moduleService = std::make_unique<ModuleService>(*shell, profile.faults, record);
  ConsoleService console(profile.consoleClient, profile.faults.consoleNoPrompt, record);

  TcpService sdkLink("sdk link", options->address, options->sdkPort,
                     [&](int fd) { ServeSdkLink(adapter, fd); });
  TcpService consoleService("console", options->address, kConsolePort,
                            [&](int fd) { console.Serve(fd); });
  TcpService commandService("module", options->address, kModulePort,
                            [&](int fd) { moduleService->Serve(fd); });
  if (!profile.faults.unreachable) {
    for (TcpService* s : {&sdkLink, &consoleService}) {
      if (!s->Listen()) {
        std::cerr << "vci-sim: cannot listen for the " << s->name() << " on " << options->address
                  << "\n";
        return 1;
      }
    }
  }
  const bool moduleServes = shell && !profile.faults.unreachable && !profile.faults.moduleRefuse;
  if (moduleServes && !commandService.Listen()) {
    std::cerr << "vci-sim: cannot listen for the module on " << options->address << ":"
              << kModulePort << "\n";
    return 1;
  }
  record.Add(std::string("adapter ") + profile.serialChars + " on " + options->address + ":" +
             std::to_string(options->sdkPort) +
             (profile.faults.unreachable ? " (unreachable)" : "") +
             (shell ? ", module sandbox " + shell->sandbox() : ", no module"));
  record.Add("ready");

  // The module comes and goes: listen while it is up.
  const timespec tick{0, 20'000'000};  // 20 ms
  for (;;) {
    if (sigtimedwait(&signals, nullptr, &tick) > 0) break;
    if (!moduleServes) continue;
    const bool up = shell->Up();
    if (up && !commandService.listening()) commandService.Listen();
    if (!up && commandService.listening()) commandService.Stop();
  }
  record.Add("stopped");
  return 0;
}
