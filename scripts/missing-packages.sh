# Sourced by the set-up scripts: one way to ask which Debian packages are
# not installed yet, and to install them.

# Prints the names among "$@" that dpkg does not have installed, one a line.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# install_missing WHO PACKAGE...: installs those of the packages that are
# missing with apt-get, saying which; WHO names the script in its lines.
install_missing() {
  local who=$1 sudo=""
  shift
  local missing
  mapfile -t missing < <(missing_packages "$@")
  if ((${#missing[@]})); then
    echo "$who: installing ${missing[*]}"
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  echo "$who: all of its packages present"
}
