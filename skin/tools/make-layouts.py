#!/usr/bin/env python3
"""Writes the layout files of both skins, skin/EN and skin/CS, from one set of templates.

The two skins share every control, size and colour; only the texts differ. Edit the
templates or the text tables here and run the script again; the build copies the written
layouts next to the rendered pictures."""
import os
from string import Template

HERE = os.path.dirname(os.path.abspath(__file__))

FONT = "Noto Sans CJK SC"
FONTS = f"""  <Font id="0" name="{FONT}" size="13" default="true" />
  <Font id="1" name="{FONT}" size="15" />
  <Font id="2" name="{FONT}" size="13" bold="true" />
  <Font id="3" name="{FONT}" size="16" bold="true" />
  <Font id="4" name="{FONT}" size="12" />
  <Font id="5" name="{FONT}" size="22" bold="true" />"""

# Button looks shared by the windows.
# Every text colour here reads on its background at 4.5:1 or better, disabled ones too
# (a test over the built layouts holds that).
BTN = ('bkcolor="#FFFFFFFF" hotbkcolor="#FFF1F5F9" pushedbkcolor="#FFE2E8F0" bordercolor="#FFCBD5E1" '
       'bordersize="1" borderround="6" textcolor="#FF1F2937" disabledbkcolor="#FFF1F5F9" '
       'disabledtextcolor="#FF576477"')
PRIMARY = ('bkcolor="#FF0767B3" hotbkcolor="#FF085A9C" pushedbkcolor="#FF084C84" bordersize="0" '
           'borderround="6" textcolor="#FFFFFFFF" disabledbkcolor="#FFCBD5E1" disabledtextcolor="#FF1F2937" '
           'font="2"')
CARD = 'bkcolor="#FFFFFFFF" bordercolor="#FFE2E8F0" bordersize="1" borderround="8"'
FIELD = 'height="32" textcolor="#FF1F2937" bordercolor="#FFCBD5E1" focusbordercolor="#FF028CF1" borderround="4"'
DEFAULTS = (f'  <Default name="Button" value="{BTN.replace(chr(34), "&quot;")}" />\n'
            f'  <Default name="Edit" value="{FIELD.replace(chr(34), "&quot;")}" />\n'
            f'  <Default name="Combo" value="{FIELD.replace(chr(34), "&quot;")}" />')

TEXTS = {
    "EN": {
        "appname": "OrbManager",
        "device": "Device", "apps": "Apps", "sps": "SPS", "sale": "Store", "remote": "Remote",
        "update_tip": "Check for a new version", "menu_tip": "Minimise", "min_tip": "Minimise",
        "close_tip": "Close", "lang_auto": "Automatic", "lang_cs": "中文", "lang_en": "English",
        "sn": "S/N", "obd": "OBD",
        "tab_info": "Device Info", "tab_config": "Comm Settings", "tab_help": "Help",
        "card_device": "Device", "card_conn": "Connection", "col_item": "Item", "col_value": "Value",
        "fw": "Update Firmware", "refresh": "Refresh", "selftest": "Self Test", "hwtest": "LED / Beep",
        "reset": "Reset", "doip": "DoIP Config", "obdv": "OBD Voltage", "log": "Capture Log",
        "repair": "Repair", "unlock": "Unlock",
        "cfg_title": "Communication settings",
        "cfg_note": "How the SDK reaches the adapter. Saved settings take effect when the program starts again.",
        "cfg_conn": "Connection", "cfg_type": "Connection type", "cfg_addr": "IP address", "cfg_port": "Port",
        "cfg_sdk": "SDK options", "cfg_unlock": "Unlock device", "cfg_level": "Log level", "cfg_flag": "Log",
        "t_auto": "Automatic", "t_usb": "USB", "t_com": "Serial port", "t_bt": "Bluetooth", "t_wifi": "Wi-Fi",
        "t_lan": "LAN", "t_wlan": "WLAN", "t_usblan": "USB network",
        "no": "No", "yes": "Yes", "off": "Off", "on": "On",
        "l0": "0 - Off", "l1": "1 - Errors", "l2": "2 - Warnings", "l3": "3 - Information",
        "l4": "4 - Details", "l5": "All (0xFF)", "save": "Save",
        "ok": "OK", "cancel": "Cancel", "loading": "Starting, please wait…",
        "help_title": "Device buttons",
        "help_text": "Refresh reads the adapter again. Update Firmware opens the firmware window; a “+” on it "
                     "means newer firmware is available. Self Test flashes the LEDs and sounds the beeper, then "
                     "reports. Reset restarts the adapter's communication module. Unlock drops a stale remote "
                     "connection. DoIP Config, OBD Voltage, Capture Log and Repair start the maintenance tools.",
        "help_conn": "Communication settings are written to the SDK's KRY.ini and used from the next start.",
        "fw_title": "Firmware update", "fw_vci": "VCI", "fw_sys": "System", "fw_cur": "Installed",
        "fw_new": "Available", "fw_update": "Update", "fw_log": "Change log", "close": "Close",
        "apps_class": "Categories", "myapps": "My Apps",
        "app_install": "Install", "app_update": "Update", "app_remove": "Remove", "app_run": "Run",
        "app_detail": "Details",
        "sps_title": "SPS links", "sps_name": "Name", "sps_link": "Address", "sps_id": "No.",
        "sps_desc": "Description", "sps_auth": "Account",
        "rd_remote": "Remote diagnosis", "rd_help": "Help",
        "tab_history": "History", "hist_title": "Update history",
        "hist_empty": "No adapter has been read yet.", "hist_time": "Time", "hist_proc": "Procedure",
        "hist_before": "Before", "hist_after": "After", "hist_result": "Result", "hist_reason": "Reason",
    },
    "CS": {
        "appname": "OrbManager",
        "device": "设备", "apps": "应用", "sps": "SPS", "sale": "商城", "remote": "远程",
        "update_tip": "检查新版本", "menu_tip": "最小化", "min_tip": "最小化", "close_tip": "关闭",
        "lang_auto": "自动", "lang_cs": "中文", "lang_en": "English",
        "sn": "序列号", "obd": "OBD",
        "tab_info": "设备信息", "tab_config": "通讯设置", "tab_help": "帮助",
        "card_device": "设备", "card_conn": "连接方式", "col_item": "项目", "col_value": "内容",
        "fw": "固件升级", "refresh": "刷新", "selftest": "自检", "hwtest": "指示灯/蜂鸣器",
        "reset": "复位", "doip": "DoIP 配置", "obdv": "OBD 电压", "log": "日志采集",
        "repair": "设备修复", "unlock": "解锁",
        "cfg_title": "通讯设置",
        "cfg_note": "设置 SDK 连接设备的方式。保存后在程序下次启动时生效。",
        "cfg_conn": "连接", "cfg_type": "连接类型", "cfg_addr": "IP 地址", "cfg_port": "端口",
        "cfg_sdk": "SDK 选项", "cfg_unlock": "解锁设备", "cfg_level": "日志级别", "cfg_flag": "日志",
        "t_auto": "自动", "t_usb": "USB", "t_com": "串口", "t_bt": "蓝牙", "t_wifi": "Wi-Fi",
        "t_lan": "有线网络", "t_wlan": "无线局域网", "t_usblan": "USB 网络",
        "no": "否", "yes": "是", "off": "关闭", "on": "开启",
        "l0": "0 - 关闭", "l1": "1 - 错误", "l2": "2 - 警告", "l3": "3 - 信息", "l4": "4 - 详细",
        "l5": "全部 (0xFF)", "save": "保存",
        "ok": "确定", "cancel": "取消", "loading": "正在启动，请稍候…",
        "help_title": "设备按钮",
        "help_text": "刷新：重新读取设备信息。固件升级：打开固件窗口，按钮上的“+”表示有新固件。自检：点亮指示灯并鸣叫后给出结果。"
                     "复位：重启设备的通讯模块。解锁：断开残留的远程连接。DoIP 配置、OBD 电压、日志采集和设备修复会启动相应的维护工具。",
        "help_conn": "通讯设置写入 SDK 的 KRY.ini，程序下次启动时生效。",
        "fw_title": "固件升级", "fw_vci": "VCI", "fw_sys": "系统", "fw_cur": "当前版本",
        "fw_new": "最新版本", "fw_update": "升级", "fw_log": "更新日志", "close": "关闭",
        "apps_class": "分类", "myapps": "我的应用",
        "app_install": "安装", "app_update": "更新", "app_remove": "卸载", "app_run": "运行",
        "app_detail": "详情",
        "sps_title": "SPS 链接", "sps_name": "名称", "sps_link": "地址", "sps_id": "编号",
        "sps_desc": "描述", "sps_auth": "需要账号",
        "rd_remote": "远程诊断", "rd_help": "帮助",
        "tab_history": "更新记录", "hist_title": "更新记录", "hist_empty": "尚未读取到设备。",
        "hist_time": "时间", "hist_proc": "操作", "hist_before": "原版本", "hist_after": "新版本",
        "hist_result": "结果", "hist_reason": "原因",
    },
}


def window(size, body, caption="0,0,0,0", extra=""):
    cap = f' caption="{caption}"' if caption != "0,0,0,0" else ""
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<Window size="{size}"{cap}{extra}>\n'
            f'{FONTS}\n{DEFAULTS}\n{body}</Window>\n')


def nav(name, icon, key):
    return (f'      <Option name="{name}" group="navi" width="92" text="${{{key}}}" font="4" '
            f'textcolor="#FFCBD5E1" hottextcolor="#FFFFFFFF" selectedtextcolor="#FFFFFFFF" disabledtextcolor="#FF94A3B8" '
            f'hotbkcolor="#FF273449" selectedbkcolor="#FF1E293B" align="center" valign="bottom" '
            f'textpadding="0,0,0,12" normalimage="file=\'nav_{icon}.png\' dest=\'34,12,58,36\'" '
            f'selectedimage="file=\'nav_sel.png\'" />\n')


def sysbtn(name, icon, tip, hot="#FF334155"):
    return (f'        <Button name="{name}" width="28" height="28" bkcolor="#00000000" bordersize="0" '
            f'hotbkcolor="{hot}" pushedbkcolor="#FF0F172A" borderround="4" tooltip="${{{tip}}}" '
            f'normalimage="file=\'sys_{icon}.png\' dest=\'6,6,22,22\'" />\n')


LAYOUTS = {}

LAYOUTS["KavoraG.xml"] = window("960,640", f"""  <VerticalLayout bkcolor="#FFF5F7FA">
    <HorizontalLayout height="70" bkcolor="#FF0B1220">
      <VerticalLayout width="214" inset="18,13,0,10">
        <HorizontalLayout height="28">
          <Control width="28" height="28" bkimage="logo.png" />
          <Label disabledtextcolor="#FF94A3B8" text="${{appname}}" font="3" textcolor="#FFFFFFFF" textpadding="10,0,0,0" />
        </HorizontalLayout>
        <HorizontalLayout height="19" inset="38,3,0,0" childpadding="6">
          <Label disabledtextcolor="#FF94A3B8" name="labelConnState" width="44" font="4" textcolor="#FF94A3B8" />
          <Label disabledtextcolor="#FF94A3B8" name="labelNetworkStatus" width="44" font="4" textcolor="#FF94A3B8" />
          <Label disabledtextcolor="#FF94A3B8" name="labelVersion" font="4" textcolor="#FF94A3B8" />
        </HorizontalLayout>
      </VerticalLayout>
{nav("btnNaviDevice", "device", "device")}{nav("btnNaviApps", "apps", "apps")}{nav("btnNaviSPS", "sps", "sps")}{nav("btnNaviSale", "sale", "sale")}{nav("btnNaviRemoteDiag", "remote", "remote")}      <Control />
      <VerticalLayout width="260" inset="0,7,10,6">
        <HorizontalLayout height="28" childpadding="4">
          <Control />
          <Combo name="cboLanguage" width="104" height="28" font="4" bkcolor="#FF273449" textcolor="#FFE2E8F0" bordercolor="#FF334155">
            <ListLabelElement text="${{lang_auto}}" />
            <ListLabelElement text="${{lang_cs}}" />
            <ListLabelElement text="${{lang_en}}" />
          </Combo>
{sysbtn("btnDownloadManager", "update", "update_tip")}{sysbtn("btnSysMenu", "menu", "menu_tip")}{sysbtn("btnSysMin", "min", "min_tip")}{sysbtn("btnSysClose", "close", "close_tip", "#FFDC2626")}        </HorizontalLayout>
        <HorizontalLayout height="29" inset="0,6,6,0">
          <Control />
          <Label disabledtextcolor="#FF94A3B8" text="${{sn}}" width="44" font="4" textcolor="#FF94A3B8" align="right" textpadding="0,0,6,0" />
          <Label disabledtextcolor="#FF94A3B8" name="labelDeviceSN" width="92" font="4" text="-" textcolor="#FFE2E8F0" />
          <Label disabledtextcolor="#FF94A3B8" text="${{obd}}" width="34" font="4" textcolor="#FF94A3B8" align="right" textpadding="0,0,6,0" />
          <Label disabledtextcolor="#FF94A3B8" name="labelOBDVoltage" width="58" font="4" text="-" textcolor="#FFE2E8F0" />
        </HorizontalLayout>
      </VerticalLayout>
    </HorizontalLayout>
    <Control />
  </VerticalLayout>
""", caption="0,0,0,70")


def tab(name, icon, key, extra=""):
    return (f'    <Button name="{name}" height="46" text="${{{key}}}" align="left" valign="vcenter" '
            f'textpadding="50,0,0,0" textcolor="#FF334155" bkcolor="#00000000" bordersize="0" borderround="0" '
            f'hotbkcolor="#FFF1F5F9" normalimage="file=\'tab_{icon}.png\' dest=\'20,13,40,33\'" '
            f'selectedimage="file=\'tab_{icon}_sel.png\' dest=\'20,13,40,33\'"{extra} />\n')


LAYOUTS["DeviceWnd.xml"] = window("960,570", f"""  <HorizontalLayout bkcolor="#FFF5F7FA">
    <VerticalLayout name="navDevice" width="180" bkcolor="#FFFFFFFF" focusbordercolor="#FF028CF1" inset="0,14,0,0" childpadding="2">
  {tab("btnTabDeviceInfo", "info", "tab_info")}  {tab("btnTabDeviceConfig", "config", "tab_config")}  {tab("btnTabDeviceHistory", "history", "tab_history")}  {tab("btnTabDeviceHelp", "help", "tab_help", ' userdata="DeviceHelpPage.xml"')}      <Control />
    </VerticalLayout>
    <Control />
  </HorizontalLayout>
""")

def dbtn(name, key, primary=False):
    look = PRIMARY if primary else ""
    return f'      <Button name="{name}" text="${{{key}}}" {look} />\n'


LAYOUTS["DeviceInfoWnd.xml"] = window("779,569", f"""  <VerticalLayout bkcolor="#FFF5F7FA" inset="16,16,16,16" childpadding="12">
    <HorizontalLayout childpadding="12">
      <VerticalLayout width="200" childpadding="12">
        <VerticalLayout height="196" {CARD} inset="20,14,20,14" childpadding="8">
          <Label text="${{card_device}}" height="18" font="2" textcolor="#FF576477" />
          <Control name="deviceImage" width="160" height="120" bkimage="dev_unknown.png" />
        </VerticalLayout>
        <VerticalLayout {CARD} inset="20,14,20,14" childpadding="8">
          <Label text="${{card_conn}}" height="18" font="2" textcolor="#FF576477" />
          <HorizontalLayout height="96">
            <Control />
            <Control name="deviceConnImage" width="96" height="96" bkimage="conn_unknow.png" />
            <Control />
          </HorizontalLayout>
          <Control />
        </VerticalLayout>
      </VerticalLayout>
      <VerticalLayout {CARD} inset="1,1,1,6">
        <List name="lstDevInfo" itemfont="0" itemtextcolor="#FF1F2937" itembkcolor="#FFFFFFFF" itemhotbkcolor="#FFF8FAFC" itemlinecolor="#FFF1F5F9" itemtextpadding="16,0,8,0">
          <ListHeader name="lstDevInfoHeader" height="38" bkcolor="#FFFFFFFF" bordersize="0">
            <ListHeaderItem text="${{col_item}}" width="210" font="2" textcolor="#FF576477" textpadding="16,0,0,0" />
            <ListHeaderItem text="${{col_value}}" font="2" textcolor="#FF576477" textpadding="16,0,0,0" />
          </ListHeader>
        </List>
      </VerticalLayout>
    </HorizontalLayout>
    <HorizontalLayout height="36" childpadding="10">
{dbtn("btnFWUpdate", "fw", True)}{dbtn("btnRefreshDevice", "refresh")}{dbtn("btnSelfTest", "selftest")}{dbtn("btnHWTest", "hwtest")}{dbtn("btnReset", "reset")}    </HorizontalLayout>
    <HorizontalLayout height="36" childpadding="10">
{dbtn("btnDoIPConfig", "doip")}{dbtn("btnOBDVoltage", "obdv")}{dbtn("btnLog", "log")}{dbtn("btnRepairDevice", "repair")}{dbtn("btnUnLockDevice", "unlock")}    </HorizontalLayout>
  </VerticalLayout>
""")


def row(caption_name, caption_key, field):
    name = f' name="{caption_name}"' if caption_name else ""
    return (f'        <HorizontalLayout height="32">\n'
            f'          <Label{name} text="${{{caption_key}}}" width="150" textcolor="#FF334155" />\n'
            f'          {field}\n          <Control />\n        </HorizontalLayout>\n')


def combo(name, keys):
    items = "".join(f'<ListLabelElement text="${{{k}}}" />' for k in keys)
    return f'<Combo name="{name}" width="280">{items}</Combo>'


LAYOUTS["DeviceConfigWnd.xml"] = window("779,569", f"""  <VerticalLayout bkcolor="#FFF5F7FA" inset="16,16,16,16">
    <HorizontalLayout {CARD} inset="28,26,28,24" childpadding="32">
      <VerticalLayout width="170" childpadding="16">
        <HorizontalLayout height="128">
          <Control name="connImage" width="128" height="128" bkimage="config_auto.png" />
          <Control />
        </HorizontalLayout>
        <Text text="${{cfg_note}}" height="90" font="4" textcolor="#FF576477" align="left" valign="top" wordbreak="true" />
        <Control />
      </VerticalLayout>
      <VerticalLayout childpadding="12">
        <Label text="${{cfg_title}}" height="28" font="3" textcolor="#FF0F172A" />
        <Label text="${{cfg_conn}}" height="20" font="2" textcolor="#FF576477" />
{row("", "cfg_type", combo("cboConnType", ["t_auto", "t_usb", "t_com", "t_bt", "t_wifi", "t_lan", "t_wlan", "t_usblan"]))}{row("labelIPAddr", "cfg_addr", '<Edit name="edtIPAddr" width="280" maxchar="63" />')}{row("labelPort", "cfg_port", '<Edit name="edtPort" width="120" maxchar="10" />')}        <Control height="1" bkcolor="#FFE2E8F0" />
        <Label text="${{cfg_sdk}}" height="20" font="2" textcolor="#FF576477" />
{row("", "cfg_unlock", combo("cboUnlockDevice", ["no", "yes"]))}{row("", "cfg_level", combo("cboLogLevel", ["l0", "l1", "l2", "l3", "l4", "l5"]))}{row("", "cfg_flag", combo("cboLogFlag", ["off", "on"]))}        <Control />
        <HorizontalLayout height="36">
          <Control />
          <Button name="btnSave" width="128" text="${{save}}" {PRIMARY} />
        </HorizontalLayout>
      </VerticalLayout>
    </HorizontalLayout>
  </VerticalLayout>
""")

LAYOUTS["DeviceHelpPage.xml"] = window("779,569", f"""  <VerticalLayout bkcolor="#FFF5F7FA" inset="16,16,16,16">
    <VerticalLayout {CARD} inset="28,24,28,24" childpadding="12">
      <Label text="${{help_title}}" height="28" font="3" textcolor="#FF0F172A" />
      <Text text="${{help_text}}" height="150" textcolor="#FF334155" align="left" valign="top" wordbreak="true" />
      <Control height="1" bkcolor="#FFE2E8F0" />
      <Text text="${{help_conn}}" height="60" textcolor="#FF576477" align="left" valign="top" wordbreak="true" />
      <Control />
    </VerticalLayout>
  </VerticalLayout>
""")


def hcol(key, width=None):
    w = f' width="{width}"' if width else ""
    return (f'          <ListHeaderItem text="${{{key}}}"{w} font="2" textcolor="#FF475569" '
            f'textpadding="12,0,0,0" />\n')


LAYOUTS["DeviceHistoryWnd.xml"] = window("779,569", f"""  <VerticalLayout bkcolor="#FFF5F7FA" inset="16,16,16,16">
    <VerticalLayout {CARD} inset="1,12,1,6" childpadding="8">
      <Label name="labelHistoryTitle" text="${{hist_title}}" height="28" font="3" textcolor="#FF0F172A" textpadding="16,0,0,0" />
      <Label name="labelHistoryEmpty" text="${{hist_empty}}" height="32" textcolor="#FF475569" textpadding="16,0,0,0" visible="false" />
      <List name="lstHistory" itemfont="4" itemtextcolor="#FF1F2937" itembkcolor="#FFFFFFFF" itemhotbkcolor="#FFF8FAFC" itemlinecolor="#FFF1F5F9" itemtextpadding="12,0,6,0">
        <ListHeader height="34" bkcolor="#FFFFFFFF">
{hcol("hist_time", 140)}{hcol("hist_proc", 150)}{hcol("hist_before", 80)}{hcol("hist_after", 80)}{hcol("hist_result", 70)}{hcol("hist_reason")}        </ListHeader>
      </List>
    </VerticalLayout>
  </VerticalLayout>
""")


def dialog_head():
    return """    <HorizontalLayout height="44" inset="18,12,18,12" bkcolor="#FFF8FAFC" borderround="8">
      <Control width="20" height="20" bkimage="logo.png" />
      <Label text="${appname}" font="2" textcolor="#FF334155" textpadding="10,0,0,0" />
    </HorizontalLayout>
    <Control height="1" bkcolor="#FFE2E8F0" />
"""


def tip(buttons):
    return window("420,210", f"""  <VerticalLayout bkcolor="#FFFFFFFF" bordercolor="#FFCBD5E1" bordersize="1" borderround="8">
{dialog_head()}    <Text name="textTip" textpadding="24,14,24,8" textcolor="#FF1F2937" font="1" align="left" valign="vcenter" wordbreak="true" />
    <HorizontalLayout height="64" inset="0,12,18,16" childpadding="10">
      <Control />
{buttons}    </HorizontalLayout>
  </VerticalLayout>
""", caption="0,0,0,44", extra=' roundcorner="8,8"')


LAYOUTS["TipWnd.xml"] = tip(f'      <Button name="btnCancel" width="96" text="${{cancel}}" />\n'
                            f'      <Button name="btnClose" width="96" text="${{ok}}" {PRIMARY} />\n')
LAYOUTS["TipWnd2.xml"] = tip(f'      <Button name="btnClose" width="96" text="${{ok}}" {PRIMARY} />\n')

LAYOUTS["ProgressWnd.xml"] = window("440,220", f"""  <VerticalLayout bkcolor="#FFFFFFFF" bordercolor="#FFCBD5E1" bordersize="1" borderround="8">
{dialog_head()}    <VerticalLayout inset="24,16,24,20" childpadding="10">
      <Label name="labelTitle" height="24" font="3" textcolor="#FF0F172A" />
      <Text name="textTip" height="40" textcolor="#FF334155" align="left" valign="top" wordbreak="true" />
      <Progress name="tipProgress" height="8" bkcolor="#FFE2E8F0" forecolor="#FF028CF1" borderround="4" />
      <Label name="labelStep" height="20" font="4" textcolor="#FF576477" />
    </VerticalLayout>
  </VerticalLayout>
""", caption="0,0,0,44", extra=' roundcorner="8,8"')

LAYOUTS["LoadWnd.xml"] = window("420,260", """  <VerticalLayout bkcolor="#FF1E293B" bkcolor2="#FF0F172A" inset="0,40,0,30" childpadding="14" borderround="10">
    <HorizontalLayout height="88">
      <Control />
      <Control width="88" height="88" bkimage="logo_large.png" />
      <Control />
    </HorizontalLayout>
    <Label disabledtextcolor="#FF94A3B8" text="${appname}" height="32" font="5" textcolor="#FFFFFFFF" align="center" />
    <Label disabledtextcolor="#FF94A3B8" text="${loading}" height="20" font="4" textcolor="#FF94A3B8" align="center" />
    <Control />
  </VerticalLayout>
""", extra=' roundcorner="10,10"')


def fwrow(layout, label, cur, new, check, key):
    return f"""      <HorizontalLayout name="{layout}" height="40" {CARD} inset="14,0,14,0" childpadding="8">
        <CheckBox name="{check}" width="28" />
        <Label name="{label}" width="120" text="${{{key}}}" font="2" />
        <Label name="{cur}" width="150" textcolor="#FF576477" />
        <Button name="{new}" text="" bkcolor="#00000000" bordersize="0" textcolor="#FF0767B3" align="left" />
      </HorizontalLayout>
"""


LAYOUTS["HWFWUpdateWnd.xml"] = window("560,360", f"""  <VerticalLayout bkcolor="#FFFFFFFF" bordercolor="#FFCBD5E1" bordersize="1" borderround="8">
{dialog_head()}    <VerticalLayout inset="24,16,24,20" childpadding="10">
      <Label text="${{fw_title}}" height="26" font="3" textcolor="#FF0F172A" />
      <HorizontalLayout height="20" inset="50,0,0,0">
        <Label width="128" text="" />
        <Label width="158" text="${{fw_cur}}" font="4" textcolor="#FF576477" />
        <Label text="${{fw_new}}" font="4" textcolor="#FF576477" />
      </HorizontalLayout>
{fwrow("layoutVCIUpdate", "labelVCI", "labelVCICurVer", "btnVCINewVer", "checkVCIUpdate", "fw_vci")}{fwrow("layoutSysUpdate", "labelSystem", "labelSysCurVer", "btnSysNewVer", "checkSysUpdate", "fw_sys")}      <Text name="textTip" height="36" textcolor="#FF334155" align="left" wordbreak="true" />
      <Progress name="UpdateProgress" height="8" bkcolor="#FFE2E8F0" forecolor="#FF028CF1" borderround="4" />
      <Control />
      <HorizontalLayout height="36" childpadding="10">
        <Button name="btnUpdateLog" width="110" text="${{fw_log}}" />
        <Control />
        <Button name="btnClose" width="96" text="${{close}}" />
        <Button name="btnUpdateFW" width="110" text="${{fw_update}}" {PRIMARY} />
      </HorizontalLayout>
    </VerticalLayout>
  </VerticalLayout>
""", caption="0,0,0,44", extra=' roundcorner="8,8"')

LAYOUTS["APPManagerWnd.xml"] = window("960,570", """  <HorizontalLayout bkcolor="#FFF5F7FA">
    <VerticalLayout width="180" bkcolor="#FFFFFFFF">
      <List name="lstAPPClass" height="0" visible="false" />
      <VerticalLayout name="layoutLeftNavi" />
    </VerticalLayout>
    <AppManagerWnd />
  </HorizontalLayout>
""")
LAYOUTS["AppManagerWnd.xml"] = """<?xml version="1.0" encoding="UTF-8"?>
<VerticalLayout inset="20,20,20,20">
  <TileLayout name="APPListLayout" columns="5" childpadding="16" />
</VerticalLayout>
"""

LAYOUTS["AppWnd.xml"] = window("620,440", f"""  <VerticalLayout bkcolor="#FFFFFFFF" bordercolor="#FFCBD5E1" bordersize="1" borderround="8">
    <HorizontalLayout height="44" inset="18,8,10,8" bkcolor="#FFF8FAFC" borderround="8">
      <Label name="labelTitle" font="3" textcolor="#FF0F172A" />
      <Button name="btnAppClose" width="28" height="28" bkcolor="#00000000" bordersize="0" hotbkcolor="#FFE2E8F0" normalimage="file='sys_close_dark.png' dest='6,6,22,22'" />
    </HorizontalLayout>
    <VerticalLayout inset="24,16,24,20" childpadding="8">
      <Label name="labelVersion" height="20" textcolor="#FF334155" />
      <Label name="labelSize" height="20" textcolor="#FF334155" />
      <Label name="labelStatus" height="20" textcolor="#FF334155" />
      <Text name="labelDesc" height="48" textcolor="#FF576477" align="left" valign="top" wordbreak="true" />
      <RichEdit name="edtAPPUpdateLog" height="140" bkcolor="#FFF8FAFC" bordercolor="#FFE2E8F0" bordersize="1" borderround="4" textpadding="6,4,6,4" textcolor="#FF334155" />
      <Control />
      <HorizontalLayout height="36" childpadding="10">
        <Button name="btnDetail" width="96" text="${{app_detail}}" />
        <Control />
        <Button name="btnUnInstall" width="96" text="${{app_remove}}" />
        <Button name="btnUpdate" width="96" text="${{app_update}}" />
        <Button name="btnRun" width="96" text="${{app_run}}" />
        <Button name="btnInstall" width="120" text="${{app_install}}" {PRIMARY} />
      </HorizontalLayout>
    </VerticalLayout>
  </VerticalLayout>
""", caption="0,0,0,44", extra=' roundcorner="8,8"')

LAYOUTS["SPSWnd.xml"] = window("960,570", f"""  <VerticalLayout bkcolor="#FFF5F7FA" inset="16,16,16,16">
    <VerticalLayout {CARD} inset="1,1,1,6">
      <List name="lstSPS" itemfont="0" itembkcolor="#FFFFFFFF" itemhotbkcolor="#FFF8FAFC" itemlinecolor="#FFF1F5F9" itemtextpadding="16,0,8,0">
        <ListHeader height="38" bkcolor="#FFFFFFFF">
          <ListHeaderItem text="${{sps_id}}" width="80" font="2" textcolor="#FF576477" textpadding="16,0,0,0" />
          <ListHeaderItem text="${{sps_desc}}" width="320" font="2" textcolor="#FF576477" textpadding="16,0,0,0" />
          <ListHeaderItem text="${{sps_link}}" width="400" font="2" textcolor="#FF576477" textpadding="16,0,0,0" />
          <ListHeaderItem text="${{sps_auth}}" font="2" textcolor="#FF576477" textpadding="16,0,0,0" />
        </ListHeader>
      </List>
    </VerticalLayout>
  </VerticalLayout>
""")

LAYOUTS["SaleWnd.xml"] = window("960,570", """  <VerticalLayout bkcolor="#FFFFFFFF">
    <WebBrowser name="sale" />
  </VerticalLayout>
""")


def rdtab(name, key):
    return (f'      <Button name="{name}" width="140" text="${{{key}}}" bkcolor="#FFFFFFFF" textcolor="#FF000000" '
            f'bordersize="0" borderround="0" />\n')


LAYOUTS["RemoteDiagWnd.xml"] = window("960,570", f"""  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="40" bkcolor="#FFFFFFFF">
{rdtab("btnTabRemote", "rd_remote")}{rdtab("btnTabRemoteHelp", "rd_help")}      <Control />
    </HorizontalLayout>
    <Control height="1" bkcolor="#FFE2E8F0" />
    <WebBrowser name="web" />
  </VerticalLayout>
""")


def main():
    for lang, texts in TEXTS.items():
        folder = os.path.join(HERE, "..", lang)
        os.makedirs(folder, exist_ok=True)
        for name, template in LAYOUTS.items():
            text = Template(template).substitute(texts)
            with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
                f.write(text)


if __name__ == "__main__":
    main()
