# The common start of the batch runner's scripts: a work folder of their own, removed at the
# end, and `check CONDITION WHAT`, which counts the failures.
: "${BATCH:?path of selvane-batch}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0
check() { if ! eval "$1"; then echo "FAILED: $2"; failures=$((failures + 1)); fi; }
