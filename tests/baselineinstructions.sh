#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whether code compiled for AVX can reach the baseline path, which must run
# on any x86-64 processor. Three checks, each printing what it found:
#  1. the core's, the evaluator's and canvas' objects other than the AVX
#     kernels hold no VEX
#     or EVEX instruction, except the one vzeroupper of
#     clearUpperVectorState (vectorstate.cpp), which runs only after CPUID
#     said the processor has AVX;
#  2. the kernel objects define no code symbol the linker could share with
#     other objects (a weak copy of an inline function, say) other than
#     their entry points, so their code is entered only through those;
#  3. in the linked test programs, VEX and EVEX instructions lie only inside
#     the kernels' entry points (and that vzeroupper): the linker kept no
#     kernel's copy of anything else.
# An instruction is VEX or EVEX by its encoding: in 64-bit mode a first
# opcode byte of C4 or C5 (VEX) or 62 (EVEX) after the legacy prefixes means
# nothing else.
# Usage: baselineinstructions.sh OBJDUMP NM LIST, where each line of LIST is
# "kernel PATH", "other PATH" or "program PATH".
set -euo pipefail

objdump=$1
nm=$2
list=$3

entry='^kvadrolab::(negatedFBlockAvx(2|512)|unaryAvx2|powAvx2)\('
vzeroupper_home='^kvadrolab::clearUpperVectorState\(\)'

# Prints "function<TAB>mnemonic" once for each VEX or EVEX instruction of $1.
vex_instructions() {
    "$objdump" -d -C -w "$1" | awk -F'\t' '
        /^[0-9a-f]+ <.*>:$/ {
            fn = $0
            sub(/^[0-9a-f]+ </, "", fn)
            sub(/>:$/, "", fn)
            next
        }
        NF >= 3 {
            n = split($2, b, " ")
            i = 1
            while (i <= n && b[i] ~ /^(66|67|f0|f2|f3|2e|36|3e|26|64|65)$/)
                i++
            if (i <= n && b[i] ~ /^(c4|c5|62)$/) {
                split($3, insn, " ")
                print fn "\t" insn[1]
            }
        }' | sort -u
}

faults=0
fault() {
    # The first few say what is wrong; a Debug build can have thousands.
    [ "$faults" -lt 40 ] && echo "FAULT: $*"
    faults=$((faults + 1))
}

# Whether $1 (function) and $2 (instruction) is the one vzeroupper allowed.
allowed_vzeroupper() {
    [[ $1 =~ $vzeroupper_home ]] && [ "$2" = vzeroupper ]
}

kernels=0 others=0 programs=0
while read -r kind path; do
    [ -n "$kind" ] || continue
    [ -f "$path" ] || { fault "$path: missing"; continue; }
    case "$kind" in
        other)
            others=$((others + 1))
            while IFS=$'\t' read -r fn insn; do
                allowed_vzeroupper "$fn" "$insn" && [[ $path == */vectorstate.cpp.o ]] && continue
                fault "${path##*/}: $fn: $insn"
            done < <(vex_instructions "$path")
            ;;
        kernel)
            kernels=$((kernels + 1))
            # T, W and i: global, weak and indirect code; V, D, B, R are data.
            while read -r type name; do
                [[ $name =~ $entry ]] && continue
                fault "${path##*/} defines $name ($type) for other objects to share"
            done < <("$nm" -C --defined-only "$path" | sed -n 's/^[0-9a-f]* \([TWi]\) /\1 /p')
            ;;
        program)
            programs=$((programs + 1))
            allowed=0
            while IFS=$'\t' read -r fn insn; do
                if [[ $fn =~ $entry ]] || allowed_vzeroupper "$fn" "$insn"; then
                    allowed=$((allowed + 1))
                    continue
                fi
                fault "${path##*/}: $fn: $insn"
            done < <(vex_instructions "$path")
            # How many (function, mnemonic) pairs the kernels and vzeroupper
            # account for: none would mean the check saw no kernel at all.
            echo "${path##*/}: $allowed (function, mnemonic) pairs of VEX or EVEX code in the kernels and vzeroupper"
            ;;
        *) fault "$list: unknown line \"$kind $path\"" ;;
    esac
done <"$list"

# A list without kernels, or without the rest, would check nothing.
if [ "$kernels" -eq 0 ] || [ "$others" -eq 0 ] || [ "$programs" -eq 0 ]; then
    fault "$list names $kernels kernel objects, $others others and $programs programs"
fi

echo "$others objects, $kernels kernel objects, $programs programs: $faults faults"
[ "$faults" -eq 0 ]
