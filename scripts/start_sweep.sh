#!/usr/bin/env bash
# Usage: scripts/start_sweep.sh [QUORVANE_FIT] [ITERATIONS] [wide]
#
# Fits the examples and the picosecond examples by variable projection with
# three components from 20 starts, each the true time constants times one
# factor spread evenly on a logarithmic scale from 1/100 to 100, and counts
# how the fits end: a floating-point fault (or another error), converged, or
# not converged. For each data set it also counts the converged fits whose
# sum of squares equals the lowest one met (15 digits).
#
# With "wide": 2 to 5 components, 25 factors from 1e-6 to 1e6 (the fourth and
# fifth start at 10x and 100x the third), only the counts of the endings.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
fit=${1:-$here/build/cc/src/cli/quorvane-fit}
iterations=${2:-50}
mode=${3:-}

sweep() {
    local name=$1 t1=$2 t2=$3 t3=$4
    shift 4
    local faults=0 converged=0 unconverged=0 lowest="" sums=()
    for k in $(seq 0 19); do
        local factor s1 s2 s3 out err rc
        factor=$(awk -v k="$k" 'BEGIN { printf "%.6g", 10 ^ (-2 + 4 * k / 19) }')
        read -r s1 s2 s3 < <(awk -v f="$factor" -v a="$t1" -v b="$t2" -v c="$t3" \
            'BEGIN { printf "%.6g %.6g %.6g\n", f * a, f * b, f * c }')
        out=$("$fit" --method varpro -n 3 -i "$iterations" --t1 "$s1" --t2 "$s2" --t3 "$s3" \
            "$@" 2>/tmp/start_sweep.$$)
        rc=$?
        err=$(tail -1 /tmp/start_sweep.$$)
        if [ "$rc" != 0 ]; then
            faults=$((faults + 1))
            echo "  factor $factor: $err"
        elif [[ $err == Converged* ]]; then
            converged=$((converged + 1))
            sums+=("$(grep '^SSR' <<<"$out" | cut -d' ' -f3)")
        else
            unconverged=$((unconverged + 1))
            echo "  factor $factor: ${err:0:100}"
        fi
    done
    rm -f /tmp/start_sweep.$$
    local atLowest=0
    if [ ${#sums[@]} -gt 0 ]; then
        lowest=$(printf '%s\n' "${sums[@]}" | sort -g | head -1)
        for s in "${sums[@]}"; do [ "$s" = "$lowest" ] && atLowest=$((atLowest + 1)); done
    fi
    echo "$name: $faults faults, $converged converged ($atLowest at the lowest SSR $lowest)," \
        "$unconverged not converged, of 20"
}

widesweep() {
    local name=$1 base=($2 $3 $4 $5 $6)
    shift 6
    for n in 2 3 4 5; do
        local faults=0 converged=0 unconverged=0 rc
        for k in $(seq 0 24); do
            local starts=()
            for j in $(seq 1 "$n"); do
                starts+=(--t$j "$(awk -v k="$k" -v b="${base[$((j - 1))]}" \
                    'BEGIN { printf "%.6g", b * 10 ^ (-6 + 12 * k / 24) }')")
            done
            "$fit" --method varpro -n "$n" -i "$iterations" "${starts[@]}" "$@" \
                >/dev/null 2>/tmp/start_sweep.$$
            rc=$?
            if [ "$rc" != 0 ]; then
                faults=$((faults + 1))
            elif grep -q '^Converged' /tmp/start_sweep.$$; then
                converged=$((converged + 1))
            else
                unconverged=$((unconverged + 1))
            fi
        done
        echo "$name, n = $n: $faults faults, $converged converged, $unconverged not converged, of 25"
    done
    rm -f /tmp/start_sweep.$$
}

if [ "$mode" = wide ]; then
    widesweep examples 5e-6 1e-4 3e-3 3e-2 3e-1 "$here"/examples/*.txt
    widesweep picosecond 1.8 21 50 500 5000 "$here"/examples/picosecond/*.txt
else
    sweep examples 5e-6 1e-4 3e-3 "$here"/examples/*.txt
    sweep picosecond 1.8 21 50 "$here"/examples/picosecond/*.txt
fi
