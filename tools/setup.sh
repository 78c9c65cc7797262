# Shared by ./run and ./test: install what is missing, build, prepare the working folder.
# Sourced, not executed.

TAVEN_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVEN_BUILD=${TAVEN_BUILD:-$TAVEN_SRC/build}

TAVEN_PACKAGES=(cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
    libqt6printsupport6 libqt6test6 qt6-qpa-plugins
    fonts-dejavu-core libfontconfig-dev libbenchmark-dev time clang-format)

# Arguments: packages wanted besides the usual ones (the fuzzing build's compiler).
taven_missing_packages() {
    local p missing=()
    for p in "${TAVEN_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    echo "${missing[@]}"
}

taven_install() {
    local missing
    missing=$(taven_missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages: $missing" >&2
        echo "Install them as root with:" >&2
        echo "  apt-get update && apt-get install -y --no-install-recommends $missing" >&2
        exit 1
    fi
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing
}

taven_build() {
    if [ ! -f "$TAVEN_BUILD/CMakeCache.txt" ]; then
        cmake -S "$TAVEN_SRC" -B "$TAVEN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$TAVEN_BUILD" -j "$(nproc)"
}

# Every tracked C++ file as the repository's .clang-format lays it out.
taven_check_format() {
    if ! command -v clang-format >/dev/null; then
        echo "clang-format not found: the format check is skipped"
        return 0
    fi
    (cd "$TAVEN_SRC" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror) || {
        echo "Files above are not formatted: run clang-format -i on them" >&2
        exit 1
    }
}

# Copies the bundled data into the working folder; files already there are the user's and stay.
taven_prepare_workdir() {
    local dir=$1
    mkdir -p "$dir"
    cp -R -n "$TAVEN_SRC/data/." "$dir/"
}

# What building and checking the Debian package needs besides the usual (./test --package).
taven_install_packaging() {
    local TAVEN_PACKAGES=(dpkg-dev desktop-file-utils appstream file)
    taven_install
}
