# Shared by run.sh and test.sh: sourced, not run.

# Builds run as the owner of the tree, so that a later build by that user can write to it:
# when root runs a script in somebody else's tree, the packages are installed as root and the
# rest of the script runs again as the owner. Then a build folder that an earlier run as root
# left behind is reported, with the command that removes it, before the build trips over it.
build_as_owner() {
  local script=$1
  shift
  if [ "$(id -u)" -eq 0 ]; then
    local owner
    owner=$(stat -c %U .)
    if [ "$owner" != root ]; then
      echo "membrane: this tree belongs to $owner; building as $owner, not as root" >&2
      exec runuser -u "$owner" -- bash "$script" "$@"
    fi
  fi
  local dir
  for dir in build build-sanitize build-v3 build-fuzz; do
    if [ -e "$dir" ] && [ ! -w "$dir" ]; then
      echo "membrane: $dir/ belongs to $(stat -c %U "$dir") and $(id -un) cannot write to it" \
           "(an earlier build as root?); remove it with: sudo rm -rf $dir" >&2
      exit 1
    fi
  done
}

# track_passes PASS...: the passes of a run in their order. begin_pass PASS says which one runs
# now; when the run then ends with a failure, its last line names that pass and the passes
# that did not run.
track_passes() {
    passes=("$@")
    pass=
    trap report_stop EXIT
}
begin_pass() { pass=$1; }
report_stop() {
    local status=$? later=() p seen=
    if [ "$status" -eq 0 ] || [ -z "$pass" ]; then
        return 0
    fi
    for p in "${passes[@]}"; do
        [ -n "$seen" ] && later+=("$p")
        [ "$p" = "$pass" ] && seen=1
    done
    echo "membrane: the tests stopped in the pass $pass (status $status);" \
         "not run: ${later[*]:-none}" >&2
}
