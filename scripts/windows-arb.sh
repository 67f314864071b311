# SPDX-License-Identifier: GPL-3.0-or-later
# Builds, once, the static GMP, MPFR, FLINT and Arb for x86_64-w64-mingw32
# that the Windows program's proof engine links, from Debian 12's own source
# packages: the same versions the Linux build links, so that both prove the
# same numbers. Needs common.sh (fetch_debian_source), m4 for GMP, and the
# mingw-w64 compilers of cmake/mingw-w64-x86_64.cmake.
# shellcheck shell=bash

ARB_WIN_VERSION=2.23
ARB_WIN_CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/kvadrolab"
ARB_WIN_PREFIX="$ARB_WIN_CACHE/arb-$ARB_WIN_VERSION-win64-static"
ARB_WIN_HOST=x86_64-w64-mingw32
# Source package, and the directory `apt-get source` must unpack it to: a
# different upstream version in the archive stops the build rather than
# proving with other code than the Linux build's.
ARB_WIN_SOURCES=("gmp gmp-6.2.1" "mpfr4 mpfr4-4.2.0" "flint flint-2.9.0"
                 "flint-arb flint-arb-$ARB_WIN_VERSION.")

# All four installed carry this stamp, written last; without it the prefix is
# built again from scratch.
arb_win_ready() {
    [ -f "$ARB_WIN_PREFIX/.kvadrolab-complete" ] &&
        [ -f "$ARB_WIN_PREFIX/lib/libgmp.a" ] && [ -f "$ARB_WIN_PREFIX/lib/libmpfr.a" ] &&
        [ -f "$ARB_WIN_PREFIX/lib/libflint.a" ] && [ -f "$ARB_WIN_PREFIX/lib/libarb.a" ] &&
        [ -f "$ARB_WIN_PREFIX/include/arb.h" ]
}

# Runs one library's step ($2...) with its output in the log $1, and shows
# the log's end if it fails.
arb_win_step() {
    local log=$1
    shift
    if ! "$@" >>"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "failed: $* (log: $log)" >&2
        return 1
    fi
}

# No instruction beyond plain x86-64 (SSE2) in the libraries: the program
# runs on processors without AVX, and without SSE3 and later, POPCNT, LZCNT,
# BMI or MOVBE. Objdump names VEX and EVEX instructions with a leading v;
# the list holds the rest that a compiler flag (-mpopcnt, -march=...) or
# hand-written assembly would bring in. TZCNT is not among them: it is
# BSF with a REP prefix, which older processors run as BSF, and GCC and
# GMP use it as such.
arb_win_beyond_baseline='popcnt|lzcnt|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|movbe|'\
'lddqu|movddup|movs[hl]dup|hadd[sp][sd]|hsub[sp][sd]|addsubp[sd]|'\
'pshufb|palignr|phadd[a-z]*|phsub[a-z]*|pmaddubsw|pmulhrsw|psign[bwd]|pabs[bwd]|'\
'ptest|pmin(sb|sd|uw|ud)|pmax(sb|sd|uw|ud)|pmulld|pmuldq|pextr[bdq]|pinsr[bdq]|pblendw|pblendvb|'\
'blendv?p[sd]|round[ps][sd]|dpp[sd]|mpsadbw|phminposuw|pmov[sz]x[a-z]*|packusdw|pcmpeqq|movntdqa|'\
'crc32[bwlq]?|pcmp[ei]str[im]|pcmpgtq|prefetchw|femms|pf[a-z0-9]+|pi2f[dw]|pmulhrw|pavgusb|'\
'v[a-z0-9]+'
arb_win_check_baseline() {
    local lib found
    for lib in gmp mpfr flint arb; do
        found=$("$ARB_WIN_HOST-objdump" -d --no-show-raw-insn "$ARB_WIN_PREFIX/lib/lib$lib.a" |
            awk -F'\t' -v re="^($arb_win_beyond_baseline)\$" '
                NF >= 2 { split($2, w, " "); if (w[1] ~ re) n[w[1]]++ }
                END { for (m in n) printf "%s %d  ", m, n[m] }')
        if [ -n "$found" ]; then
            echo "lib$lib.a holds instructions beyond x86-64: $found" >&2
            return 1
        fi
    done
}

arb_win_build() {
    arb_win_ready && return 0
    local work="$ARB_WIN_CACHE/work-arb-$ARB_WIN_VERSION"
    local prefix=$ARB_WIN_PREFIX jobs
    jobs=$(nproc)
    rm -rf "$work" "$prefix"
    mkdir -p "$work/build" "$prefix"
    echo "Building GMP, MPFR, FLINT and Arb for Windows once (some 20 minutes on 2 cores)."
    echo "  source and build: $work"
    echo "  libraries:        $prefix"

    local names=() entry
    for entry in "${ARB_WIN_SOURCES[@]}"; do
        names+=("${entry%% *}")
    done
    fetch_debian_source "$work" "${names[@]}"
    local -A src
    for entry in "${ARB_WIN_SOURCES[@]}"; do
        local dir
        dir=$(find "$work" -maxdepth 1 -type d -name "${entry#* }*" | head -1)
        if [ -z "$dir" ]; then
            echo "The archive's ${entry%% *} is not ${entry#* }*." >&2
            return 1
        fi
        src[${entry%% *}]=$dir
    done

    local times=() t0 log
    local cc=$ARB_WIN_HOST-gcc-posix
    local toolchain=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$KVADROLAB_ROOT/cmake/mingw-w64-x86_64.cmake"
                     -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
                     -DCMAKE_INSTALL_PREFIX="$prefix")

    # GMP for the generic x86-64 (no fat binary: nothing chosen at run time),
    # as Debian builds it for amd64. Debian's tarball leaves out the manual
    # (doc/), whose Makefile the shipped configure still writes and make
    # still enters: an empty one stands in.
    t0=$(date +%s)
    log="$work/gmp.log"
    mkdir -p "${src[gmp]}/doc" "$work/build/gmp"
    printf 'all install install-strip check installcheck clean distclean mostlyclean maintainer-clean:\n\t@:\n' \
        >"${src[gmp]}/doc/Makefile.in"
    (cd "$work/build/gmp" &&
        arb_win_step "$log" "${src[gmp]}/configure" --host="$ARB_WIN_HOST" --prefix="$prefix" \
            --enable-static --disable-shared --disable-fat CC="$cc" &&
        arb_win_step "$log" make -j"$jobs" && arb_win_step "$log" make install) || return 1
    times+=("GMP $(($(date +%s) - t0)) s")

    t0=$(date +%s)
    log="$work/mpfr.log"
    mkdir -p "$work/build/mpfr"
    (cd "$work/build/mpfr" &&
        arb_win_step "$log" "${src[mpfr4]}/configure" --host="$ARB_WIN_HOST" --prefix="$prefix" \
            --enable-static --disable-shared --with-gmp="$prefix" CC="$cc" &&
        arb_win_step "$log" make -j"$jobs" && arb_win_step "$log" make install) || return 1
    times+=("MPFR $(($(date +%s) - t0)) s")

    # FLINT's CMake cannot run its POPCNT test program when cross-compiling,
    # and would add -mpopcnt to FLINT and to everything linking it: both are
    # answered beforehand, so FLINT is built for plain x86-64. Link-time
    # optimisation is left off, as its archive would hold GCC's bytecode.
    t0=$(date +%s)
    log="$work/flint.log"
    arb_win_step "$log" cmake -S "${src[flint]}" -B "$work/build/flint" "${toolchain[@]}" \
        -DFLINT_USES_POPCNT=0 -DHAS_FLAG_MPOPCNT=0 -DIPO_SUPPORTED=OFF -DBUILD_TESTING=OFF \
        -DWITH_NTL=OFF -DCMAKE_DISABLE_FIND_PACKAGE_CBLAS=ON \
        -DGMP_INCLUDE_DIRS="$prefix/include" -DGMP_LIBRARIES="$prefix/lib/libgmp.a" \
        -DMPFR_INCLUDE_DIRS="$prefix/include" -DMPFR_LIBRARIES="$prefix/lib/libmpfr.a" &&
        arb_win_step "$log" cmake --build "$work/build/flint" -j"$jobs" &&
        arb_win_step "$log" cmake --install "$work/build/flint" || return 1
    times+=("FLINT $(($(date +%s) - t0)) s")

    t0=$(date +%s)
    log="$work/arb.log"
    arb_win_step "$log" cmake -S "${src[flint-arb]}" -B "$work/build/arb" "${toolchain[@]}" \
        -DBUILD_TESTING=OFF \
        -DMPIR_LIBRARY="$prefix/lib/libgmp.a" -DMPIR_INCLUDE_DIR="$prefix/include" \
        -DMPFR_LIBRARY="$prefix/lib/libmpfr.a" -DMPFR_INCLUDE_DIR="$prefix/include" \
        -DFLINT2_LIBRARY="$prefix/lib/libflint.a" -DFLINT2_INCLUDE_DIR="$prefix/include" &&
        arb_win_step "$log" cmake --build "$work/build/arb" -j"$jobs" &&
        arb_win_step "$log" cmake --install "$work/build/arb" || return 1
    times+=("Arb $(($(date +%s) - t0)) s")

    arb_win_check_baseline || return 1
    printf '%s\n' "${times[@]}" | tee "$prefix/build-times.txt"
    touch "$prefix/.kvadrolab-complete"
    rm -rf "$work"
}
