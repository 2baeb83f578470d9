# Sourced by the set-up scripts: one way to ask which Debian packages are
# not installed yet.

# Prints the names among "$@" that dpkg does not have installed, one a line.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
