# Sourced by the set-up scripts: one way to ask which Debian packages are
# not installed yet, to fetch the package lists, and to install them.

apt_sudo=""
[ "$(id -u)" -eq 0 ] || apt_sudo="sudo"

# update_package_lists WHO: apt-get update, once a script, tried again
# while a mirror is mid-sync (a list of the wrong size fails the whole
# update). Where it still fails, the install goes on with the lists apt
# has; WHO names the script.
package_lists_fetched=0
update_package_lists() {
  local who=$1 try
  ((package_lists_fetched)) && return 0
  package_lists_fetched=1
  for try in 1 2 3 4; do
    $apt_sudo apt-get update -qq && return 0
    ((try < 4)) || break
    echo "$who: apt-get update failed; trying again in $((try * 10)) s" >&2
    sleep $((try * 10))
  done
  echo "$who: apt-get update failed 4 times; installing from the package lists apt has" >&2
}

# Prints the names among "$@" that dpkg does not have installed, one a line.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# install_missing WHO PACKAGE...: installs those of the packages that are
# missing with apt-get, saying which; WHO names the script in its lines.
# Fails where apt-get does, also where the caller tests it (set -e is off).
install_missing() {
  local who=$1
  shift
  local missing
  mapfile -t missing < <(missing_packages "$@")
  if ((${#missing[@]})); then
    echo "$who: installing ${missing[*]}"
    update_package_lists "$who"
    DEBIAN_FRONTEND=noninteractive $apt_sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return
  fi
  echo "$who: present: $*"
}
