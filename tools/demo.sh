#!/usr/bin/env bash
# Starts the dialer with a simulated GSM phone on port 1, in a demo profile
# of its own (its own settings store and ports folder), so that a real setup
# is never touched. The far end answers a few seconds after each dial, a text
# message arrives and a call rings in shortly after the start. Closing the
# dialer ends the demo.
#
#   bash tools/demo.sh                      # simulated phone
#   bash tools/demo.sh --device /dev/ttyACM0  # a real phone instead, as port 1
#
# Environment: VEKORRA_BUILD_DIR (default build/), VEKORRA_DEMO_DIR (default
# ${XDG_STATE_HOME:-~/.local/state}/vekorra-demo).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKORRA_BUILD_DIR:-$top/build}
demo=${VEKORRA_DEMO_DIR:-${XDG_STATE_HOME:-$HOME/.local/state}/vekorra-demo}

device=""
while [ $# -gt 0 ]; do
  case "$1" in
    --device) device=${2:?"--device needs a path, e.g. /dev/ttyACM0"}; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done

if [ ! -x "$build/vekorra" ] || [ ! -x "$build/1/kestrum" ] || [ ! -x "$build/tools/phonesim/phonesim" ] \
   || [ ! -x "$build/vekorra-settings" ]; then
  VEKORRA_BUILD_DIR=$build bash "$top/tools/build.sh"
fi

mkdir -p "$demo/ports"
chmod 700 "$demo"
export VEKORRA_SETTINGS=$demo/settings.sqlite
export VEKORRA_PORTS=$demo/ports
settings=$build/vekorra-settings
"$settings" set Kestrum 1 port 1
"$settings" set Kestrum 1 Tip_Tlf GSM

simulator=""
stop_simulator() {
  if [ -n "$simulator" ] && kill -0 "$simulator" 2>/dev/null; then
    kill "$simulator" 2>/dev/null || true
    wait "$simulator" 2>/dev/null || true
  fi
}
trap stop_simulator EXIT

if [ -n "$device" ]; then
  [ -e "$device" ] || { echo "demo.sh: $device does not exist" >&2; exit 1; }
  ln -sfn "$device" "$VEKORRA_PORTS/com1"
  echo "Demo profile in $demo; phone 1 is $device."
else
  rm -f "$VEKORRA_PORTS/com1"
  "$build/tools/phonesim/phonesim" --mode gsm --model "Vekorra Demo GSM" \
      --ports "$VEKORRA_PORTS" --port 1 --log "$demo/phone.log" \
      --auto-answer 4000 --far-hangup-after 30000 --ring-after 12000 0501234567 \
      --sms-after 6000 PrivatBank 'Код подтверждения: 4821. Никому его не сообщайте.' \
      --ussd '*123#=menu:1. Tarif Start\n2. Tarif Maks|Tarif izmenyon' \
      --contact 'SM,0501234567,Мама' --contact 'SM,+380671112233,Бухгалтерия' \
      --contact 'SM,0442223344,Офис' --contact 'ME,0939998877,Сосед Петро' \
      --exit-with-parent >"$demo/phonesim.out" 2>&1 &
  simulator=$!
  for _ in $(seq 100); do
    [ -e "$VEKORRA_PORTS/com1" ] && break
    kill -0 "$simulator" 2>/dev/null || { cat "$demo/phonesim.out" >&2; exit 1; }
    sleep 0.05
  done
  [ -e "$VEKORRA_PORTS/com1" ] || { echo "demo.sh: the phone simulator did not start" >&2; exit 1; }
  echo "Demo profile in $demo; a simulated GSM phone is on port 1 (log: $demo/phone.log)."
  echo "Type a number such as 067 123 45 67 and press \"Позвонить\"; a message arrives after about 6 s"
  echo "and a call rings in after about 12 s."
fi

"$build/vekorra"
