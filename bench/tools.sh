# Sourced by the bench scripts: the tools they compare, built or found once.
#   $floor2, $pfloor   the floors (../shared/floors), compiled here into build/bench
#   $bfs               bfs 4.1 (../shared/peers/bfs), or empty when it is missing
#   busy_start/busy_stop   one process spinning at normal priority (one core kept busy)
#   interleave         runs the tools of the arrays `names` and `commands` turn by turn
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shared=
for candidate in "$here/../shared" "$here/../../shared" "${VACANTOR_SHARED:-}"; do
    if [ -n "$candidate" ] && [ -d "$candidate/floors" ]; then
        shared=$(cd "$candidate" && pwd)
        break
    fi
done
tools=$here/build/bench/tools
mkdir -p "$tools"
floor2= pfloor= bfs=
if [ -n "$shared" ]; then
    for floor in floor2 pfloor; do
        if [ ! -x "$tools/$floor" ] || [ "$shared/floors/$floor.cpp" -nt "$tools/$floor" ]; then
            g++ -O2 -pthread -o "$tools/$floor" "$shared/floors/$floor.cpp"
        fi
    done
    floor2=$tools/floor2 pfloor=$tools/pfloor
    [ -x "$shared/peers/bfs" ] && bfs=$shared/peers/bfs
fi

busy_pid=
busy_start() {
    bash -c 'while :; do :; done' &
    busy_pid=$!
}
busy_stop() {
    if [ -n "$busy_pid" ]; then
        kill "$busy_pid" 2>/dev/null || true
        wait "$busy_pid" 2>/dev/null || true
        busy_pid=
    fi
}

drop_caches() { sync && echo 3 >/proc/sys/vm/drop_caches; }
can_drop_caches() { [ -w /proc/sys/vm/drop_caches ] && drop_caches 2>/dev/null; }

# interleave ROUNDS OUT [BEFORE]: runs each of the tools in the arrays `names` and `commands`
# once a round, taking turns (the order rotates from round to round), so that a busy spell
# of the machine hits every tool alike; BEFORE (a command) runs before each run. Writes
# "NAME<TAB>SECONDS<TAB>PEAK KIB<TAB>CPU SECONDS" lines to OUT, grouped by tool in the
# order of `names`.
interleave() {
    local rounds=$1 out=$2 before=${3:-:}
    local one_run raw round turn tool seconds kib user system
    one_run=$(mktemp)
    raw=$(mktemp)
    for round in $(seq 1 "$rounds"); do
        for turn in "${!names[@]}"; do
            tool=$(((turn + round) % ${#names[@]}))
            $before
            /usr/bin/time -f "%e %M %U %S" -o "$one_run" \
                bash -c "${commands[$tool]} >/dev/null" || true
            read -r seconds kib user system < <(tail -n 1 "$one_run")
            printf '%s\t%s\t%s\t%s\n' "${names[$tool]}" "$seconds" "$kib" \
                "$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" >>"$raw"
        done
    done
    : >"$out"
    for name in "${names[@]}"; do
        awk -F '\t' -v name="$name" '$1 == name' "$raw" >>"$out"
    done
    rm -f "$one_run" "$raw"
}
