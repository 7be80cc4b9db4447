# Sourced by the other scripts. wine_env_start makes a private Wine prefix
# under the build folder, starts Xvfb on a free display and a persistent
# wineserver; wine_env_stop ends both. The caller sets a trap for the stop.

# Prints the Wine loader that can run programs on this kernel. Some kernels
# run no 32-bit code at all; then only wine64 with 64-bit programs works.
# ORV_WIN64_ONLY=1 acts as such a kernel would, to try that path here (with
# a BUILD_DIR of its own: a 32-bit prefix does not serve wine64).
wine_loader() {
  if [ -z "${ORV_WIN64_ONLY:-}" ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo /usr/lib/wine/wine
  else
    echo /usr/lib/wine/wine64
  fi
}

wine_can_run_32bit() { [ "$(wine_loader)" = /usr/lib/wine/wine ]; }

WINE_ENV_XVFB_PID=""

wine_env_start() {
  mkdir -p "$1"
  local build
  build=$(cd "$1" && pwd)
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  export WINELOADER
  WINELOADER=$(wine_loader)

  local n
  for n in $(seq 90 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
    WINE_ENV_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      break
    fi
    WINE_ENV_XVFB_PID=""
  done
  if [ -z "$WINE_ENV_XVFB_PID" ]; then
    echo "wine-env: no X display could be started" >&2
    return 1
  fi

  wine_prefix_start "$WINEPREFIX" "$build"
}

# wine_prefix_start PREFIX LOG-FOLDER: makes PREFIX the prefix of this shell,
# starts its persistent wineserver and, the first time, fills the prefix.
# wine_env_start does this for the build's own prefix; a test that runs
# beside the others takes a prefix of its own this way (wine_env_start must
# have run: the display and the loader come from it).
wine_prefix_start() {
  export WINEPREFIX="$1"
  local build=$2
  mkdir -p "$WINEPREFIX"
  wineserver -p
  # The persistent server writes the registry files late, so a marker of our
  # own tells that the prefix is complete.
  if [ ! -f "$WINEPREFIX/.prefix-ready" ]; then
    echo "Making the Wine prefix $WINEPREFIX ..."
    if timeout 300 "$WINELOADER" wineboot -i >"$build/wineboot.log" 2>&1 &&
       [ -d "$WINEPREFIX/drive_c/windows/system32" ]; then
      # Some prefixes lack the .txt association that Windows always has;
      # the installer opens its readme through it.
      "$WINELOADER" reg add 'HKCR\.txt' /ve /d txtfile /f >>"$build/wineboot.log" 2>&1 || true
      # Without a window manager (bare Xvfb) Wine waits up to a second for
      # one at every hide or destroy of a managed window. Unmanaged windows
      # behave as on Windows, which is what tests and benchmarks measure.
      "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$build/wineboot.log" 2>&1 || true
      touch "$WINEPREFIX/.prefix-ready"
    else
      echo "wine-env: wineboot failed, see $build/wineboot.log" >&2
      return 1
    fi
  fi
  # The first program of a session starts Wine's own services, which then
  # live as long as the server and inherit that program's output. Start them
  # here with a log file, or a caller reading a test's output through a pipe
  # (ctest) waits for an end of file that never comes.
  "$WINELOADER" cmd.exe /c exit 0 >>"$build/wine-services.log" 2>&1 </dev/null || true
}

# Holds Wine's desktop open from now until wine_env_stop (tools/keepdesktop).
# Without it every program that makes a window after a pause waits for Wine
# to start a new desktop process.
wine_env_keep_desktop() {
  [ -f "$1" ] || { echo "wine-env: no $1; the desktop is not held" >&2; return 0; }
  "$(dirname "${BASH_SOURCE[0]}")/wine-run" "$1" >/dev/null 2>&1 </dev/null &
  WINE_ENV_KEEPER_PID=$!
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${WINE_ENV_KEEPER_PID:-}" ]; then
    kill "$WINE_ENV_KEEPER_PID" 2>/dev/null || true
    wait "$WINE_ENV_KEEPER_PID" 2>/dev/null || true
    WINE_ENV_KEEPER_PID=""
  fi
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=""
  fi
}
