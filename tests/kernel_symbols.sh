#!/bin/bash
# Each step kernel compiled at -O0, where nothing is inlined: any weak symbol it defines
# outside its own instruction set's namespace could be chosen by the linker for code that
# runs on every processor, and would then crash on one without that instruction set.
# Arguments: compiler, nm, source folder, then one ISA=FLAGS per kernel (FLAGS ;-separated).
set -eu
cxx=$1 nm=$2 source=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for kernel in "$@"; do
    isa=${kernel%%=*}
    IFS=';' read -r -a flags <<<"${kernel#*=}"
    "$cxx" -std=c++17 -O0 -ffp-contract=off "${flags[@]}" -I"$source" -c "$source/engine/step_$isa.cpp" \
        -o "$work/$isa.o"
    strays=$("$nm" -C --defined-only "$work/$isa.o" | grep -v ' [tTrRdDbB] ' |
             grep -v " selvane::step_kernels::$isa::" || true)
    if [ -n "$strays" ]; then
        echo "step_$isa.cpp defines weak symbols outside selvane::step_kernels::$isa:"
        echo "$strays"
        status=1
    fi
done
exit $status
