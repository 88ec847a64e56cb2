# Shared by scripts/run and scripts/test: install what is missing, configure, build.
set -euo pipefail

VLM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VLM_BUILD_BASE="${VLM_BUILD_DIR:-$VLM_ROOT/build}"

# Installs the Debian packages among "$@" that are not installed yet; nothing when all are.
vlm_ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then
      sudo=(sudo)
    else
      echo "error: these packages are missing and installing them needs root: ${missing[*]}" >&2
      exit 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# A locale with a comma decimal separator, so the tests can check that numbers in files and JSON
# do not follow the user's locale. Made only where we may (root); the test skips otherwise.
vlm_ensure_test_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  [ "$(id -u)" -eq 0 ] || return 0
  vlm_ensure_packages locales
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
}

VLM_BUILD_PACKAGES=(cmake ninja-build g++ make libsqlite3-dev rapidjson-dev zlib1g-dev libzstd-dev
  libxxhash-dev)
# ntfs-3g (mkntfs) and ntfs-3g-dev (libntfs-3g) make the NTFS images of the MFT engine's tests;
# the library goes only into a test tool, never into the programs or the packages.
# ncdu and gdu: the exports are checked against them; jdupes, rdfind and rmlint: the duplicate
# finders the search is checked against.
VLM_TEST_PACKAGES=(libgtest-dev python3 coreutils findutils util-linux dbus-daemon ncdu gdu gzip zstd
  jdupes rdfind rmlint
  ntfs-3g ntfs-3g-dev pkg-config)
VLM_GUI_PACKAGES=(qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core adwaita-icon-theme)
# Making and checking the Debian package: dpkg-shlibdeps and file for cpack, the two validators,
# Python for gathering the third-party notices.
VLM_PACKAGE_PACKAGES=(dpkg-dev file desktop-file-utils appstream python3)

# ccache, where installed, makes a rebuild in another clone or build folder cheap; paths are
# taken relative to the source tree so clones in different folders share the cache.
VLM_LAUNCHER=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$VLM_ROOT"
  VLM_LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Configures and builds the given targets, or everything. Builds with and without the tests live
# in separate folders so switching between run and test never reconfigures either. Sets
# VLM_BUILD to the folder used.
vlm_build() {
  local tests="$1"
  shift
  if [ "$tests" = ON ]; then VLM_BUILD="$VLM_BUILD_BASE/test"; else VLM_BUILD="$VLM_BUILD_BASE/app"; fi
  cmake -S "$VLM_ROOT" -B "$VLM_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVLM_WERROR=ON -DVLM_BUILD_TESTS="$tests" "${VLM_LAUNCHER[@]}" >/dev/null
  cmake --build "$VLM_BUILD" ${1:+--target "$@"}
}
