#!/usr/bin/env bash
# Installs every Debian package Lumivane needs to build, run and test.
# Idempotent: installs only what is missing and refreshes the package lists only then.
# With --fuzz it also installs what the fuzz harnesses need (clang and libFuzzer), and with
# --coverage what scripts/coverage-by-test-file.py needs (clang and the LLVM profile tools);
# nothing else uses them.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build make pkg-config clang-format
  # libraries
  qt6-base-dev qcoro-qt6-dev nlohmann-json3-dev
  # the download daemon and the tools its tests use
  transmission-daemon transmission-cli procps
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev qt6-httpserver-dev dbus-daemon
  # the iCalendar reader that checks calendar.ics
  python3-icalendar
  # fonts and platform plugins for the tray application
  qt6-qpa-plugins qt6-svg-dev libxcb1-dev fonts-dejavu-core
  # the validators the packaging tests run on the desktop entry and the AppStream file
  desktop-file-utils appstream
  # the journeys through the real application: a virtual X server, a tray, key events and
  # the accessibility bus read from Python
  xvfb trayer xdotool at-spi2-core python3-pyatspi
  # the Debian package: its dependencies (dpkg-shlibdeps), the ELF detection and stripping
  # CPack does, the man page made from --help, and the checker the package test runs
  dpkg-dev file binutils help2man lintian
)
if [ "${1:-}" = "--fuzz" ]; then
  # clang with libFuzzer and the sanitizer runtimes; python3 builds the seed corpora
  packages+=(clang libclang-rt-14-dev python3)
elif [ "${1:-}" = "--coverage" ]; then
  packages+=(clang llvm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
