# shellcheck shell=bash
# Shared by the measuring scripts of bench/ (sourced, not run).
# The value of a number field of the batch runner's JSON summary's object KEY: field JSON KEY NAME.
field() { sed -E "s/.*\"$2\": ?\{[^}]*\"$3\": ?([0-9.e+-]+).*/\1/" <<<"$1"; }
# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
# The binary for a path or a git revision (building the revision if it has not been yet), called
# from the repository's root. A revision is exported and built in Release under
# ${BUILDS:-/tmp/kartsim-builds}/<commit>, once. Exits with status 2 when there is none.
binary() {
  if [ -f "$1" ]; then
    [ -x "$1" ] || { echo "$1: not an executable" >&2; exit 2; }
    echo "$1"
    return
  fi
  local commit dir
  commit=$(git rev-parse --verify "$1^{commit}") || { echo "$1: neither a binary nor a revision" >&2; exit 2; }
  dir=${BUILDS:-/tmp/kartsim-builds}/$commit
  if [ ! -x "$dir/build/src/ui/batch/kartsim-batch" ]; then
    mkdir -p "$dir/src"
    # Called in $(...), where a failing command does not end the script by itself.
    git archive "$commit" | tar -x -C "$dir/src" || exit 2
    # ccache, where the machine has it, spares rebuilding what two revisions share.
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >&2 || exit 2
    nice cmake --build "$dir/build" --target kartsim-batch -j2 >&2 || { echo "$1: the build failed" >&2; exit 2; }
  fi
  echo "$dir/build/src/ui/batch/kartsim-batch"
}
