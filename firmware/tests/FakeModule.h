#pragma once
// A DoIP module and adapter in memory for the update procedure: the channel operations are
// answered from a model of the module (its files, its mount state, its reboot), time passes
// only on a virtual clock, and the adapter is a flag and an address.
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "firmware/ZWSFirmwareUpdate.h"
#include "platform/Clock.h"

namespace fwtest {

// Program time that passes only when the program waits.
class VirtualClock : public platform::Clock {
 public:
  void Sleep(std::int64_t ms) override { now_ += ms > 0 ? ms : 0; }
  std::int64_t NowMs() override { return now_; }
  std::chrono::nanoseconds ToReal(std::int64_t) override { return std::chrono::nanoseconds(0); }

 private:
  std::int64_t now_ = 0;
};

// The module's /etc/release for an OpenWrt version.
inline std::string ReleaseText(const std::string& openwrt) {
  return "[release]\nopenwrt=" + openwrt +
         "\nuboot=2020.04\ndevice=KRY-DoIP\n[checksum]\nopenwrt=0123456789abcdef\n";
}

class FakeAdapter : public firmware::DoIPDevice {
 public:
  bool IsConnected() const override { return connected; }
  int Open() override {
    ++opens;
    connected = openResult == 0;
    return openResult;
  }
  void Close() override { connected = false; }
  bool ReadHWInfo() override {
    address = addressAfterReboot;
    return true;
  }
  std::string ModuleAddress() const override { return address; }
  std::string ModuleVersion() const override { return "22.03.5"; }

  bool connected = false;
  int openResult = 0;
  int opens = 0;
  std::string address = "127.0.0.1";
  std::string addressAfterReboot = "127.0.0.1";
};

class FakeModule : public firmware::ZWSFirmwareUpdate {
 public:
  FakeModule(core::Interaction& ui, firmware::DoIPDevice* adapter)
      : ZWSFirmwareUpdate(ui, adapter) {}

  bool Connect(const std::string& address, const std::string& port) override;
  void CloseChannel() override { open_ = false; }
  bool RunCommand(const std::string& command, int timeoutMs, char* output, std::size_t capacity,
                  std::uint32_t* outputLength) override;
  bool PutFile(const std::string& localPath, const std::string& modulePath) override;

  // The module's behaviour.
  std::deque<std::string> mountStates;  // printed by the mount check, then "0"
  std::string lastMountState = "0\n";
  std::string releaseText = ReleaseText("21.02.3"), releaseTextAfterReboot = ReleaseText("22.03.5");
  bool releaseFails = false, releaseFailsAfterReboot = false;
  bool md5sumPrintsNothing = false;
  std::string failPutFileTo;      // a module path whose transfer fails
  int rebootAttempts = 3;         // failed connects after the upgrade started
  std::int64_t mountReplyMs = 0;  // how long each mount check's reply takes
  std::string addressAfterReboot = "127.0.0.1";

  // What happened, in order.
  std::vector<std::string> log;
  bool rebooted = false;
  std::map<std::string, std::string> files;

 private:
  bool open_ = false;
  int refusals_ = 0;
};

}  // namespace fwtest
