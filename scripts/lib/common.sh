# shellcheck shell=bash
# Functions shared by the scripts in scripts/: building when programs are
# missing, the sample tiles and the settings file that points the tile browser
# at them, and running OpenGL headless (virtual X server, Mesa's software
# renderer). Sourced, not run: source "$(dirname "$0")/lib/common.sh"

orolith_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The virtual X server's screen for the scripts that draw without a display.
xvfb_screen="-screen 0 1280x1024x24"

# build_default_if_missing FILE... — when any FILE is not an executable, builds
# the "default" preset (every target, into build/) and sets build=build.
build_default_if_missing() {
  local f
  for f in "$@"; do
    if [ ! -x "$f" ]; then
      "$orolith_root/scripts/build" default
      build=build
      return
    fi
  done
}

# build_viewer_and_samples — from the repository root: sets build to
# OROLITH_BUILD_DIR (an existing tree; the viewer and the tool are brought up
# to date there) or else build/ (dependencies installed, everything built), and
# samples to build/samples, made there when it holds no tile archive.
build_viewer_and_samples() {
  if [ -n "${OROLITH_BUILD_DIR:-}" ]; then
    build="$OROLITH_BUILD_DIR"
    cmake --build "$build" --target orolith orolith-cli
  else
    build=build
    scripts/install-deps
    scripts/build default
  fi

  samples="$PWD/build/samples"
  if ! compgen -G "$samples/*.hgt.zip" >/dev/null; then
    OROLITH_CLI="$PWD/$build/cli/orolith-cli" scripts/make-samples "$samples"
  fi
}

# first_sample DIR — the first tile archive in DIR, by name.
first_sample() {
  compgen -G "$1/*.hgt.zip" | sort | head -n 1
}

# write_browser_ini FILE DIR — a settings file whose tile browser looks in DIR.
write_browser_ini() {
  printf '[Browser]\r\nZipPath=%s/\r\n\r\n' "$2" >"$1"
}

# rerun_under_xvfb_without_display "$0" "$@" — without an X display, runs the
# calling script again on a virtual X server in place of this process.
rerun_under_xvfb_without_display() {
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "$xvfb_screen" "$@"
  fi
}

# software_gl — Mesa's software renderer (no GPU needed), and a private
# runtime folder when none is set (Qt warns without one, or when it is not
# mode 700): one per user, used again by every run, so none piles up.
software_gl() {
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="${TMPDIR:-/tmp}/orolith-runtime-$(id -u)"
    export XDG_RUNTIME_DIR
    mkdir -p "$XDG_RUNTIME_DIR"
  fi
  chmod 700 "$XDG_RUNTIME_DIR"
  export LIBGL_ALWAYS_SOFTWARE=1
}
