# Shared settings for the project's scripts. Sourced, never run.
#
# Two interpreters live outside the work tree and are reused between runs:
#   - a Debian testing root holding CPython 3.14 and the build and test tools;
#   - a free-threaded CPython 3.13 built from Debian's source, inside that root.

TESSEL_ROOT=${TESSEL_ROOT:-/var/lib/tessel/forky}
TESSEL_FT_PREFIX=/opt/py313t
TESSEL_ROOT_MARKER=$TESSEL_ROOT/.tessel-root-ready-v1
TESSEL_FT_MARKER=$TESSEL_ROOT$TESSEL_FT_PREFIX/.tessel-ft-ready-v1
TESSEL_TOOLS_MARKER=$TESSEL_ROOT/.tessel-tools
TESSEL_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

say() { printf 'tessel: %s\n' "$*" >&2; }
die() { printf 'tessel: error: %s\n' "$*" >&2; exit 1; }

# Run a command inside the testing root with the work tree mounted at /work/tessel.
# The mounts live in a private namespace, so they vanish with the command.
in_root() {
    [ "$(id -u)" = 0 ] || die "running inside the testing root needs root (or set PYTHON=/path/to/python3.14)"
    unshare -m --propagation private -- /bin/bash -c '
        set -e
        root=$1; top=$2; shift 2
        mkdir -p "$root/work/tessel" "$root/proc" "$root/dev"
        mount --bind "$top" "$root/work/tessel"
        mount -t proc proc "$root/proc"
        mount --rbind /dev "$root/dev"
        pass=()
        for v in CI PYTHON_GIL PYTEST_ADDOPTS TESSEL_BENCH; do
            [ -n "${!v:-}" ] && pass+=("$v=${!v}")
        done
        exec chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8 \
            "${pass[@]}" /bin/bash -c "cd /work/tessel && \"\$@\"" bash "$@"
    ' bash "$TESSEL_ROOT" "$TESSEL_TOP" "$@"
}

# Builds the package for one interpreter, incrementally, into build/<tag> (tag: py314,
# py313t, py314d, ...) and lays it out in build/<tag>/stage for PYTHONPATH. Sets TAG, BUILD_DIR
# and STAGE_DIR. Returns non-zero, after showing the compiler's messages, on failure.
# `build_for PYTHON san` builds with the sanitizers instead, into build/<tag>-san.
build_for() {
    local python=$1 variant=${2:-} facts exe stamp log options=()
    [ "$variant" != san ] || options=(-DTESSEL_SANITIZE=ON)
    facts=$("$python" -c 'import sys, sysconfig
print("py%d%d%s" % (sys.version_info[0], sys.version_info[1], sys.abiflags))
print(sys.executable)') || { say "cannot run the interpreter '$python'"; return 1; }
    TAG=${facts%%$'\n'*}${variant:+-$variant}
    exe=${facts#*$'\n'}
    BUILD_DIR=$TESSEL_TOP/build/$TAG
    STAGE_DIR=$BUILD_DIR/stage
    log=$BUILD_DIR/build.log
    # A build directory belongs to one source tree and one interpreter: the same tree
    # seen from inside and outside the testing root has two paths, and CMake's cache
    # cannot move between them.
    stamp="source=$TESSEL_TOP python=$exe"
    if [ "$(cat "$BUILD_DIR/.tessel-stamp" 2>/dev/null)" != "$stamp" ] \
        || [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
        rm -rf "$BUILD_DIR"
        mkdir -p "$BUILD_DIR"
        if ! cmake -S "$TESSEL_TOP" -B "$BUILD_DIR" -DPython_EXECUTABLE="$exe" \
            -DTESSEL_WERROR=ON -DCMAKE_BUILD_TYPE=Release "${options[@]}" >"$log" 2>&1; then
            cat "$log" >&2
            say "$TAG: configuring failed"
            return 1
        fi
        printf '%s\n' "$stamp" >"$BUILD_DIR/.tessel-stamp"
    fi
    if ! cmake --build "$BUILD_DIR" -j"$(nproc)" >"$log" 2>&1; then
        grep -v '^\[ *[0-9]*%\]' "$log" | head -n 150 >&2
        say "$TAG: build failed (full log: ${log#"$TESSEL_TOP"/})"
        return 1
    fi
    say "$TAG: built with $exe"
}

# Prepends the staging tree of the last build to PYTHONPATH.
with_stage() {
    PYTHONPATH=$STAGE_DIR${PYTHONPATH:+:$PYTHONPATH} "$@"
}
