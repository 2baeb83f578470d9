#!/usr/bin/env bash
# Installs what the farm test's one-node Slurm needs (Slurm's daemons and
# client, munge), with apt-get, only where it is missing; safe to run
# again. The packages' own services are kept from starting: the test runs
# daemons of its own. Exits 1, saying why, where apt-get cannot install
# them (the farm test then counts as skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/missing-packages.sh
packages=(slurmctld slurmd slurm-client munge)
mapfile -t missing < <(missing_packages "${packages[@]}")
((${#missing[@]})) || exit 0

echo "setup-farm: installing ${missing[*]}"
made_policy=""
if [[ ! -e /usr/sbin/policy-rc.d ]]; then
  printf '#!/bin/sh\nexit 101\n' | $apt_sudo tee /usr/sbin/policy-rc.d >/dev/null && $apt_sudo chmod 755 /usr/sbin/policy-rc.d &&
    made_policy=1
fi
log=$(mktemp)
status=0
# Package lists are fetched only when they do not know Slurm yet.
apt-cache show slurmd >/dev/null 2>&1 || update_package_lists setup-farm >"$log" 2>&1
DEBIAN_FRONTEND=noninteractive timeout 240 $apt_sudo apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout=60 "${missing[@]}" >>"$log" 2>&1 || status=$?
[[ -z $made_policy ]] || $apt_sudo rm -f /usr/sbin/policy-rc.d
why=$(grep . "$log" | tail -n 1 || true)
rm -f "$log"
if ((status)); then
  echo "setup-farm: cannot install ${missing[*]} with apt-get (${why:-status $status})" >&2
  exit 1
fi
