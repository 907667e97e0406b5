#!/usr/bin/env bash
# The menu-bar application left idle against the sample bridge: its resident memory and CPU
# time after 60 seconds, beside `sleep 60` started with it as the floor.
#
#   macos/menu-app/bench/idle.sh [build folder, default build/release] [seconds, default 60]
#
# The application runs without a terminal, as it does when launched from the bundle; the
# bridge serves in the home the bundle's Info.plist names (KHHome), or in a temporary one.
# Goals: resident memory under 20 MiB, CPU time under 0.5 s.
set -euo pipefail
cd "$(dirname "$0")/../../.."

build=${1:-build/release}
seconds=${2:-60}
contents=$build/Kestrelhaven.app/Contents
[[ -x $contents/MacOS/KestrelhavenMenu ]] || { echo "No bundle in $build: build it first." >&2; exit 1; }

home=$(sed -n '/<key>KHHome<\/key>/{n;s:.*<string>\(.*\)</string>.*:\1:p;}' "$contents/Info.plist")
[[ -n $home ]] || home=$(mktemp -d)
mkdir -p "$home"

pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
HOME=$home "$contents/Helpers/node" --disable-sigusr1 "$contents/Resources/bridge/dist/daemon.js" \
    2>/dev/null &
pids+=($!)
for _ in $(seq 50); do
    [[ -S $home/.kestrelhaven/bridge.sock ]] && break
    sleep 0.1
done

sleep "$seconds" &
floor=$!
HOME=$home "$contents/MacOS/KestrelhavenMenu" </dev/null >/dev/null 2>&1 &
app=$!
pids+=("$floor" "$app")

ticks=$(getconf CLK_TCK)
# Resident memory in KiB and CPU time in seconds (user and system) of a running process.
figures() {
    local rss cpu
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$1/status")
    cpu=$(awk -v t="$ticks" '{sub(/^.*\) /, ""); printf "%.2f", ($12 + $13) / t}' "/proc/$1/stat")
    echo "$rss $cpu"
}

sleep "$(awk -v s="$seconds" 'BEGIN {print s - 0.2}')"
read -r floor_rss floor_cpu < <(figures "$floor")
sleep 0.2
kill -0 "$app" 2>/dev/null || { echo "KestrelhavenMenu ended early." >&2; exit 1; }
read -r app_rss app_cpu < <(figures "$app")

mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
echo "Goals: resident memory under 20 MiB, CPU time under 0.5 s."
echo "sleep $seconds (floor): resident $(mib "$floor_rss") MiB, CPU $floor_cpu s"
echo "KestrelhavenMenu idle ${seconds} s: resident $(mib "$app_rss") MiB, CPU $app_cpu s"
