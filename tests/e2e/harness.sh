# Shared by the end-to-end scripts (sourced, never run): the real OrbManager, OrbUpdate,
# vci-sim and orb-fileserver, a program folder and a root folder of their own, a virtual X
# display, and xdotool as the user.
#   source harness.sh CASE BUILD_FOLDER SCREENSHOT_FOLDER
case_name=${1:?usage: CASE BUILD_FOLDER SCREENSHOT_FOLDER}
build=$(realpath "${2:?}")
shots=$(realpath -m "${3:?}")
source_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bin="$build/bin"
# Addresses of this suite alone (the module service's fixed ports collide otherwise).
sim_address=127.0.0.92 server_address=127.0.0.93 server_port=8040
base="http://$server_address:$server_port"

for tool in xdotool Xvfb curl tar; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/install-deps)"; exit 1; }
done

work="$build/e2e-work/$case_name"
rm -rf "$work"
mkdir -p "$work" "$shots"
program="$work/program" root="$work/root"
export KAVORA_TIME_SCALE=0.01 QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM WAYLAND_DISPLAY ORB_OPEN_COMMAND

pids=()
program_group=""
finish() {
  local code=$?
  [ -n "$program_group" ] && kill -- "-$program_group" 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ $code -ne 0 ]; then
    echo "e2e $case_name: FAILED; logs:"
    for f in "$root"/*.log "$work"/*.out "$work"/*.record; do [ -f "$f" ] && { echo "== $f"; tail -n 40 "$f"; }; done
  fi
  exit $code
}
trap finish EXIT

fail() { echo "e2e $case_name: $*"; shoot "failure"; exit 1; }
shoot() { "$bin/orb-grab-screen" "$shots/$case_name-$1.png" >/dev/null 2>&1 && echo "e2e: picture $shots/$case_name-$1.png" || true; }
# wait_for SECONDS COMMAND...: polls COMMAND until it succeeds.
wait_for() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
window_named() { xdotool search --onlyvisible --name "^$1\$" | head -n1; }
has_window() { [ -n "$(window_named "$1")" ]; }
# A key press into a window, as the user would type it there.
press() {  # press WINDOW_NAME KEY
  local w
  w=$(window_named "$1")
  [ -n "$w" ] || fail "no window \"$1\" to press $2 in"
  xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w"
  xdotool key --clearmodifiers "$2"
}
# A click at a place of a window, in the window's own coordinates: the windows' layouts
# (skin/EN/*.xml) are fixed, so a control's place follows from its layout file.
click() {  # click WINDOW_NAME X Y
  local w
  w=$(window_named "$1")
  [ -n "$w" ] || fail "no window \"$1\" to click in"
  xdotool mousemove --window "$w" "$2" "$3" click 1
}
logged() { grep -q -- "$1" "$root/Kavora.log"; }
recorded() { grep -q -- "$1" "$work/vci-sim.record"; }
requests() { wc -l <"$work/requests.log"; }
served() { grep -q -- "$1" "$work/requests.log"; }

# --- The installed program, its root folder and the servers. --------------------------------
mkdir -p "$program"
cp -a "$bin/OrbManager" "$bin/OrbUpdate" "$bin"/libKRY.so* "$bin"/libFTD2XX.so* "$program/"
cp -a "$bin/skin" "$program/skin"
"$source_root/sim/fileserver/make-demo-content" "$work/content" "$base" "$bin" >/dev/null
"$source_root/scripts/lay-out-root" "$root" "$base" "$sim_address" 0 1
export XDG_CONFIG_HOME="$root/xdg" KRY_SIM_ENDPOINT="$sim_address:6800"

: >"$work/vci-sim.record"
"$bin/vci-sim" --profile "$source_root/sim/profiles/wifi-module.ini" --address "$sim_address" \
  --record "$work/vci-sim.record" >"$work/vci-sim.out" 2>&1 &
pids+=($!)
"$bin/orb-fileserver" --root "$work/content" --address "$server_address" --port "$server_port" \
  --log "$work/requests.log" >"$work/fileserver.out" 2>&1 &
pids+=($!)
# -noreset: the server would otherwise reset when its last client leaves, refusing whoever
# connects at that moment (OrbUpdate, as OrbManager hands over and ends).
: >"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.out" 2>&1 &
pids+=($!)
wait_for 20 grep -q '^ready' "$work/vci-sim.record" || fail "vci-sim did not start"
wait_for 20 curl -sf -o /dev/null "$base/update.ini" || fail "the file server did not start"
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# The program as the menu starts it: in its root folder, in a process group of its own that
# OrbUpdate and the version it starts join.
start_program() {
  (cd "$root" && exec setsid "$program/OrbManager" "$@" >>"$work/program.out" 2>&1) &
  program_group=$!
}
end_program() {
  [ -n "$program_group" ] && kill -- "-$program_group" 2>/dev/null || true
  wait_for 20 bash -c "! pgrep -g $program_group" || kill -9 -- "-$program_group" 2>/dev/null || true
  program_group=""
}

# Start-up online up to the update question, answered with KEY (Escape = Cancel).
start_online() {  # start_online KEY
  start_program
  wait_for 60 has_window Update || fail "no update question at an online start-up"
  shoot "update-question"
  press Update "$1"
}

main_window_up() {
  wait_for 60 has_window OrbManager || fail "the main window did not open"
  wait_for 30 logged 'Main window shown' || fail "the main window was not shown"
  sleep 1
}

# The device report of the simulated adapter, by the command-line front end in the same root
# folder after the program's online start-up.
read_report() {
  (cd "$root" && "$bin/orbmanager-cli" report) >"$work/report.json" 2>"$work/report.err" ||
    fail "the report failed: $(cat "$work/report.err")"
  grep -q 'K9ABC00258' "$work/report.json" || fail "the report has not the simulator's serial: $(cat "$work/report.json")"
}

# --- Places of the controls the cases click, in their window's own coordinates, from the
# fixed layouts in skin/EN. Use them unquoted: click OrbManager $nav_apps.
# KavoraG.xml (960 x 640): the navigation options, 92 wide from x 214, in the 70-high caption.
nav_apps="352 35" nav_sps="444 35" nav_sale="536 35"
# DeviceWnd.xml: the device pages' tabs, 46 high from y 84, in the 180-wide left column.
tab_comm_settings="90 156"
# DeviceInfoWnd.xml (from 180,70): the first row of buttons, five in 747 pixels.
btn_firmware="266 557" btn_reset="872 557"
# DeviceConfigWnd.xml (from 180,70): the port edit, the log switch and the save button.
edt_port="636 288" cbo_log_flag="716 465" btn_save="851 581"
# APPManagerWnd.xml: the first application's tile of the tile layout.
first_tile="264 154"
# SPSWnd.xml: the first link's row, under the 38-high list header.
first_link="240 150"
# HWFWUpdateWnd.xml (560 x 360) and TipWnd.xml / TipWnd2.xml (420 x 210).
fw_close="368 322" fw_update="480 322"
tip_ok="354 176" tip_cancel="248 176"
# AppWnd.xml (620 x 440).
app_remove="206 402" app_run="418 402" app_install="536 402" app_close="596 22"

# Waits until no window of that name is shown.
no_window() { ! has_window "$1"; }
gone() {  # gone SECONDS WINDOW_NAME
  wait_for "$1" no_window "$2" || fail "the window \"$2\" did not close"
}
# Lines of the log that match, for "it happened again" checks.
log_count() { grep -c -- "$1" "$root/Kavora.log" || true; }
# The device page has read the adapter again since the log held COUNT reports.
reported_since() { [ "$(log_count 'List device info')" -gt "$1" ]; }
# N windows of the program are shown: a drop-down list is a window of its own, with no
# name to search for.
program_windows() { [ "$(xdotool search --onlyvisible --class '^OrbManager$' | wc -l)" -eq "$1" ]; }
# PATTERN2 logged after the first PATTERN1.
logged_after() { sed -n "/$1/,\$p" "$root/Kavora.log" | grep -q -- "$2"; }

# The online start-up up to the device page, with the firmware window out of the way: the
# demo catalogue is newer than the simulator's adapter, so that window opens by itself.
device_page_up() {
  start_online Escape
  main_window_up
  wait_for 30 has_window FWUPWND || fail "the firmware window did not open by itself"
  click FWUPWND $fw_close
  gone 10 FWUPWND
}
