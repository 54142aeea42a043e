# Shared by the run and test scripts: installs what is missing and configures a build.
# shellcheck shell=bash

# Installs the given Debian packages that are not installed yet, through sudo when not root.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building anything needs.
build_packages=(g++ make cmake)
# What the dialog needs to build and to run: Qt, its platform plugins and a font to lay out with.
app_packages=(qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core)
# What scripts/screenshot needs on top: a virtual X server, a way to find and close the window,
# and a screen grabber.
screenshot_packages=(xvfb xauth xdotool imagemagick)
# What scripts/accessibility-tree needs on top: the accessibility bus and a client to read it.
accessibility_packages=(at-spi2-core python3-pyatspi dbus)
# What the tests, the command-line tool, the benchmarks and the packaging checks need.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    desktop-file-utils appstream)

jobs=$(nproc 2>/dev/null || echo 2)
