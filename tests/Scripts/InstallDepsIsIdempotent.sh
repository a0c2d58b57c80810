#!/usr/bin/env bash
# Once everything is installed, running install-deps again changes no package.
set -euo pipefail
root=$1
snapshot() { dpkg-query -W -f='${Package} ${Version} ${db:Status-Status}\n' | sort; }
"$root/scripts/install-deps" >/dev/null
before=$(snapshot)
output=$("$root/scripts/install-deps")
after=$(snapshot)
echo "$output"
[ "$before" = "$after" ] || { echo "FAIL: the second run changed packages"; diff <(echo "$before") <(echo "$after") || true; exit 1; }
[[ $output == *"all packages present"* ]] || { echo "FAIL: the second run wanted to install something"; exit 1; }
echo "PASS: second run changed nothing"
