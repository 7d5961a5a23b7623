#!/usr/bin/env bash
# Measures the latency between vbmp3_getPlaySamples and the sound: plays bursts through
# the engine into a PulseAudio null sink and records the sink's monitor with parec.
# Also measures CPU use while playing through that sink. Usage: measure_latency.sh [BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
bench="$build/playback/playback_engine_bench"

pulse_pid=""
if ! pulseaudio --check 2>/dev/null; then
  pulseaudio --start --exit-idle-time=-1 2>/dev/null
  pulse_pid=$(pgrep -n -x pulseaudio || true)
fi
previous=$(pactl get-default-sink 2>/dev/null || true)
module=$(pactl load-module module-null-sink sink_name=mwex_latency sink_properties=device.description=mwex_latency)
cleanup() {
  [ -n "$previous" ] && pactl set-default-sink "$previous" 2>/dev/null || true
  pactl unload-module "$module" 2>/dev/null || true
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null || true
}
trap cleanup EXIT
pactl set-default-sink mwex_latency

"$bench" --benchmark_filter='BM_PlaySamplesToSoundLatency|BM_PlayWithLyricPoll/device:1' --benchmark_counters_tabular=true
