# Sourced by the other scripts: configures and builds one tree.
# build_tree NAME [cmake options...]
build_tree() {
  local name=$1; shift
  cmake -S "$ROOT" -B "$BUILD/$name" -G Ninja "$@" >"$BUILD/$name.configure.log" 2>&1 ||
    { cat "$BUILD/$name.configure.log"; return 1; }
  cmake --build "$BUILD/$name" -- -k 0 >"$BUILD/$name.build.log" 2>&1 ||
    { grep -E 'error|FAILED' -A5 "$BUILD/$name.build.log" | head -100; return 1; }
  echo "built $name"
}

# The Windows tree whose programs Wine can run on this machine: the 32-bit
# deliverables where the kernel runs 32-bit code, else the 64-bit build.
wine_tree() {
  if wine_can_run_32bit; then echo win32; else echo win64; fi
}

# The deliverables as they ship: i686, win32 thread model, no tests.
build_release_tree() {
  build_tree release -DCMAKE_BUILD_TYPE=Release -DORV_TESTS=OFF -DORV_MINGW_THREADS=win32 \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake"
}

# The tree whose setup runtime the main job and the benchmarks run: the
# shipped build where Wine can run it, else the 64-bit one.
runnable_release_tree() {
  if wine_can_run_32bit; then echo release; else echo win64; fi
}

build_windows_trees() {
  build_release_tree
  build_tree win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake"
  if [ "$(wine_tree)" = win64 ]; then
    echo "This kernel runs no 32-bit code; Windows tests run from the 64-bit build under wine64."
    build_tree win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-x86_64.cmake"
  fi
}
