#pragma once
// The DoIP module's command channel (run a shell command, receive a file) and the module
// side of the DoIP system update: wait for the root mount, send and check the update tool
// and the image, start the upgrade, wait through the reboot and read the new release.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Interaction.h"
#include "firmware/DoIPDevice.h"
#include "firmware/DoIPUpdateInfo.h"
#include "firmware/FirmwareResult.h"
#include "firmware/ZWSDevice.h"

namespace firmware {

class ZWSFirmwareUpdate : public ZWSDevice {
 public:
  // `device` is the adapter reopened after the reboot wait; it may be none for the channel
  // operations alone.
  explicit ZWSFirmwareUpdate(core::Interaction& ui, DoIPDevice* device = nullptr)
      : ui_(ui), device_(device) {}

  // Opens the channel unless one is held already (its health is not examined).
  virtual bool Connect(const std::string& address, const std::string& port);
  // Runs a shell command on the module and appends its output to `output` (room for
  // `capacity` bytes) after the `*outputLength` bytes already there; output beyond the room
  // is cut, and `*outputLength` counts the bytes held. Collects until a read of
  // `timeoutMs` brings nothing more; a reply still arriving after a minute closes the
  // channel. False when the command cannot be sent.
  virtual bool RunCommand(const std::string& command, int timeoutMs, char* output,
                          std::size_t capacity, std::uint32_t* outputLength);
  // Sends a local file to `modulePath` on the module; true when all of it was sent.
  virtual bool PutFile(const std::string& localPath, const std::string& modulePath);

  // Waits until the module has mounted its root file system; the channel stays open. A
  // failure's reason is the error message it showed, if it showed one.
  FirmwareResult UpdateFirmware_Check(const DoIPUpdateInfo& info);
  // Sends, checks and starts the upgrade, waits for the module's return and, when the record
  // names the version the image carries, fails unless the module then reports it.
  FirmwareResult UpdateFirmware(const DoIPUpdateInfo& info);
  // Reads the module's /etc/release into %temp%/kry_openwrt.ini and from there.
  bool GetDeviceDoIPFWVersion(DoIPReleaseInfo* release);

  // The release read last by UpdateFirmware.
  const DoIPReleaseInfo& release() const { return release_; }

 private:
  void ShowError(const std::string& text);
  // Failed at `stage`, for the reason shown last.
  FirmwareResult Failure(FirmwareStage stage) const;
  // Reads the adapter's identity afresh; true when the module reports `version`, as the
  // new-firmware rule compares it. Otherwise says which version it runs.
  bool ModuleRuns(const std::string& version);
  // How UpdateFirmware ends: the device closed when connected, the channel closed.
  FirmwareResult End(FirmwareResult result);
  // The digest text of md5sum's output: up to the first blank within the length.
  static std::string DigestOf(const char* output, std::uint32_t length);

  core::Interaction& ui_;
  DoIPDevice* device_;
  std::u16string text_;
  DoIPReleaseInfo release_;
  std::string shownError_;  // since the procedure began
};

// True when both texts hold at least 32 characters and their first 32 are the same digits in
// either case: md5sum prints lower case, catalogues and settings may hold upper case.
bool DigestsMatch(const std::string& a, const std::string& b);

}  // namespace firmware
