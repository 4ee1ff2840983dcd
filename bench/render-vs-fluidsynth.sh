#!/usr/bin/env bash
# Renders the same MIDI files with orlim-render and with FluidSynth, both through the
# TimGM6mb bank, and prints per file the audio length, the wall time and realtime
# factor of each, their ratio, and the peak memory of each.
#
# Usage: bench/render-vs-fluidsynth.sh [FILE.mid ...]
# Without files it renders the project's own demo song, once and repeated to about
# three minutes, and the real songs of Debian's openttd-openmsx package. orlim-render
# runs with settings of its own and the project's bank folder, so both renderers use
# TimGM6mb whatever the user has set.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --bench
scripts/build.sh >/dev/null

bin=build/bin
bank=/usr/share/sounds/sf2/TimGM6mb.sf2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ORLIM_CONFIG_DIR=$work/settings

files=("$@")
if ((${#files[@]} == 0)); then
    "$bin/orlim-make-demo" "$work/demo.mid"
    "$bin/orlim-make-demo" "$work/demo-3min.mid" 12
    files=("$work/demo.mid" "$work/demo-3min.mid" /usr/share/games/openttd/baseset/openmsx/*.mid)
fi

# Seconds of audio in orlim-render's 16-bit stereo 44.1 kHz file: its 46-byte
# header, then the data.
audio_seconds() {
    awk -v size="$(stat -c %s "$1")" 'BEGIN { printf "%.2f", (size - 46) / (44100 * 4) }'
}

# Runs a command under /usr/bin/time; prints "wall-seconds peak-kilobytes".
measure() {
    local log=$work/time.log
    /usr/bin/time -v "$@" >/dev/null 2>"$log" || { cat "$log" >&2; return 1; }
    local wall peak
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {
        n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")
    peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
    echo "$wall $peak"
}

printf '%-24s %8s | %8s %7s %8s | %8s %7s %8s | %6s\n' file audio-s orlim-s rt-x mem-MB fluid-s rt-x mem-MB ratio
for file in "${files[@]}"; do
    read -r orlim_wall orlim_peak < <(measure "$bin/orlim-render" "$file" "$work/orlim.wav" --library "$bin/soundfont")
    read -r fluid_wall fluid_peak < <(measure fluidsynth -ni -F "$work/fluid.wav" -r 44100 -R 0 -C 0 "$bank" "$file")
    audio=$(audio_seconds "$work/orlim.wav")
    awk -v f="$(basename "$file")" -v a="$audio" -v ow="$orlim_wall" -v op="$orlim_peak" \
        -v fw="$fluid_wall" -v fp="$fluid_peak" 'BEGIN {
        ow = ow > 0 ? ow : 0.001; fw = fw > 0 ? fw : 0.001
        printf "%-24s %8.2f | %8.2f %7.1f %8.1f | %8.2f %7.1f %8.1f | %6.2f\n",
            f, a, ow, a / ow, op / 1024, fw, a / fw, fp / 1024, fw / ow }'
done
echo "ratio = FluidSynth wall time / orlim-render wall time (above 1: orlim-render is faster)"
