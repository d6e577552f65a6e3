#include "ui/OwnTexts.h"

#include <map>
#include <string>

#include "core/ZConfig.h"

namespace ui {
namespace {

const std::map<std::string, const char*>& Chinese() {
  static const std::map<std::string, const char*> texts = {
      {"Open folder", "打开文件夹"},
      {"Capture again", "重新采集"},
      {"Close", "关闭"},
      {"The logs are collected in:", "日志已收集到："},
      {"The logs could not be collected:", "无法收集日志："},
      {"Refresh", "刷新"},
      {"Apply", "应用"},
      {"Adapter", "设备"},
      {"Serial Number", "序列号"},
      {"Interface", "连接方式"},
      {"DoIP module", "DoIP 模块"},
      {"SSID", "SSID"},
      {"Module LAN", "模块有线网络"},
      {"Static address", "静态地址"},
      {"DHCP", "DHCP"},
      {"Address mode", "地址模式"},
      {"IP address", "IP 地址"},
      {"Netmask", "子网掩码"},
      {"Gateway", "网关"},
      {"none", "无"},
      {"Settings read from the module.", "已从模块读取设置。"},
      {"The module took the new settings.", "模块已应用新设置。"},
      {"OBD pin 16 voltage", "OBD 16 针电压"},
      {"Green from 8.00 V to 15.00 V.", "8.00 V 至 15.00 V 显示为绿色。"},
      {"Look again", "重新检测"},
      {"Repair", "修复"},
      {"Adapter in boot mode found. The image %1 will be written into it.",
       "发现处于 BOOT 模式的设备，将写入固件 %1。"},
      {"The adapter runs its firmware again.", "设备固件已恢复运行。"},
      {"Updating OrbManager %1 to %2", "正在将 OrbManager %1 更新到 %2"},
      {"Starting...", "正在启动…"},
      {"Downloading the new version...", "正在下载新版本…"},
      {"Checking the download...", "正在校验下载的文件…"},
      {"Unpacking...", "正在解包…"},
      {"Replacing the program files...", "正在替换程序文件…"},
      {"Starting the new version...", "正在启动新版本…"},
      {"The update failed: %1.\nThe installed version stays and is started again.",
       "更新失败：%1。\n已安装的版本保持不变，并将重新启动。"},
  };
  return texts;
}

}  // namespace

QString OwnText(const char* english) {
  if (core::ZConfig::Instance().english()) return QString::fromUtf8(english);
  const auto it = Chinese().find(english);
  return QString::fromUtf8(it != Chinese().end() ? it->second : english);
}

}  // namespace ui
