# Shared by ./run and ./test: install what is missing, build, prepare the working folder.
# Sourced, not executed.

TAVEN_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVEN_BUILD=${TAVEN_BUILD:-$TAVEN_SRC/build}

TAVEN_PACKAGES=(cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
    libqt6printsupport6 libqt6test6 qt6-qpa-plugins
    fonts-dejavu-core libfontconfig-dev libbenchmark-dev time clang-format
    qt6-translations-l10n)
# The database tests' server and Qt's driver for it: installed where this script may install,
# else those tests skip.
TAVEN_DB_PACKAGES=(postgresql libqt6sql6-psql)

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
    [ "$(id -u)" -eq 0 ] && set -- "$@" "${TAVEN_DB_PACKAGES[@]}"
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

# The path under folder $1 of the relative path $2, each missing name matched without regard
# to case ("DataBase" for "Database"), the rule the program's own fill follows.
taven_match_path() {
    local current=$1 part match entry
    local -a parts
    IFS=/ read -r -a parts <<<"$2"
    for part in "${parts[@]}"; do
        match=$part
        if [ ! -e "$current/$part" ] && [ -d "$current" ]; then
            while IFS= read -r -d '' entry; do
                entry=${entry##*/}
                if [ "${entry,,}" = "${part,,}" ]; then
                    match=$entry
                    break
                fi
            done < <(find "$current" -mindepth 1 -maxdepth 1 -print0 | sort -z -f)
        fi
        current=$current/$match
    done
    printf '%s\n' "$current"
}

# Copies the bundled data into the working folder; files already there, under any case of
# their names, are the user's and stay.
taven_prepare_workdir() {
    local dir=$1 rel to
    mkdir -p "$dir"
    while IFS= read -r -d '' rel; do
        rel=${rel#./}
        to=$(taven_match_path "$dir" "$rel")
        [ -e "$to" ] && continue
        mkdir -p "$(dirname "$to")"
        cp -n "$TAVEN_SRC/data/$rel" "$to"
    done < <(cd "$TAVEN_SRC/data" && find . -type f -print0)
}

# What building and checking the Debian package needs besides the usual (./test --package).
taven_install_packaging() {
    local TAVEN_PACKAGES=(dpkg-dev desktop-file-utils appstream file lintian)
    taven_install
}
