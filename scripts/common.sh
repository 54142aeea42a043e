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
# What the dialog needs to build and to run: Qt, its platform plugins, a font to lay out with, the
# JSON library of the race formats and the renderer that draws the icon's PNG sizes from its SVG.
app_packages=(qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core nlohmann-json3-dev
    librsvg2-bin)
# What scripts/screenshot needs on top: a virtual X server, a way to find and close the window,
# and a screen grabber.
screenshot_packages=(xvfb xauth xdotool imagemagick)
# What scripts/accessibility-tree needs on top: the accessibility bus and a client to read it.
accessibility_packages=(at-spi2-core python3-pyatspi dbus)
# What the command-line tool needs to build.
cli_packages=(libcli11-dev nlohmann-json3-dev)
# What scripts/package needs on top: Debian's package tools, and file, with which CPack finds
# the programs to hand to dpkg-shlibdeps.
package_packages=(dpkg-dev file)
# What CI needs to check the package.
package_check_packages=(lintian)
# What the tests, the command-line tool, the benchmarks and the packaging checks need; the
# manual pages are rendered with groff, the Markdown with cmark, the PDFs read with pdftotext.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev "${cli_packages[@]}"
    desktop-file-utils appstream groff-base cmark poppler-utils)

jobs=$(nproc 2>/dev/null || echo 2)

# What the browser edition needs: Debian's emscripten, the JSON library it compiles in, a browser
# for its tests and Node.js to run them, rsvg-convert for the icons drawn from the SVG and
# pdftotext for the printed card. npm comes with some Node.js packages and conflicts with them;
# Debian's npm is installed only where there is none.
web_packages=(emscripten nlohmann-json3-dev chromium nodejs librsvg2-bin poppler-utils)

# Installs the page's tools and the npm packages of its tests, as web/package-lock.json pins them.
ensure_web_tools() {
    ensure_packages "${build_packages[@]}" "${web_packages[@]}"
    command -v npm >/dev/null || ensure_packages npm
    # npm ci starts from nothing each time; a copy of the lock file says what is installed.
    if ! cmp -s web/package-lock.json web/node_modules/.vellicor-package-lock.json; then
        (cd web && npm ci --no-audit --no-fund --loglevel=error)
        cp web/package-lock.json web/node_modules/.vellicor-package-lock.json
    fi
}

# Builds the page into build-web/site/ from nothing but what it needs. Extra CMake arguments may
# be given in VELLICOR_CMAKE_ARGS.
build_site() {
    local extra_args
    read -r -a extra_args <<<"${VELLICOR_CMAKE_ARGS:-}"
    emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DVELLICOR_LIBRARIES_ONLY=ON \
        "${extra_args[@]}" >/dev/null
    rm -rf build-web/site
    cmake --build build-web --parallel "$jobs"
}
