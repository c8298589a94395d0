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
