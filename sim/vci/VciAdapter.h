#pragma once
// The adapter itself: its identity blocks, the one holder it serves, the firmware write and
// its boot loader. Every SDK request lands in Handle(); the link server calls it from the
// connection's thread.
#include <cstdint>
#include <mutex>
#include <string>

#include "sim/vci/SimRecord.h"
#include "sim/vci/VciProfile.h"

namespace vcisim {

class ModuleShell;

class VciAdapter {
 public:
  VciAdapter(const Profile& profile, std::string address, int sdkPort, SimRecord& record,
             ModuleShell* module);

  // One request of connection `link`; fills the reply payload and returns the result code.
  std::int32_t Handle(int link, std::uint8_t opcode, const std::string& payload,
                      std::string& reply);
  // The connection ended: a holder lets go; a firmware write in progress is lost.
  void LinkClosed(int link);

  bool bootMode() const;

 private:
  std::string InfoBlock() const;
  std::string ExInfoBlock() const;
  std::string CommIfBlock() const;
  std::int32_t FirmwareRequest(std::uint8_t opcode, const std::string& payload);

  Profile profile_;
  const std::string address_;
  const int sdkPort_;
  SimRecord& record_;
  ModuleShell* module_;
  std::int64_t startMs_;

  mutable std::mutex mutex_;
  int holder_ = 0;  // the link that holds the adapter, 0 for none
  bool bootMode_;
  bool writing_ = false;
  std::uint32_t expectedSize_ = 0;
  std::string image_;
};

}  // namespace vcisim
