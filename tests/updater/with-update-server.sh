#!/usr/bin/env bash
# Runs a test program beside the updater tests' loopback HTTP server (update_server.py):
# the site folder "update_site" in the test's working folder, and the ports in
# ZV_UPDATE_PORT (the server) and ZV_UPDATE_DOWN_PORT (a port that refuses connections).
# The server is stopped when the program ends; it also stops by itself after 15 minutes.
set -u
here=$(cd "$(dirname "$0")" && pwd)
site="$PWD/update_site"
rm -rf "$site"
mkdir -p "$site"
ports="$PWD/update_server.ports"
rm -f "$ports"
python3 "$here/update_server.py" "$site" "$ports" 900 >"$PWD/update_server.log" 2>&1 </dev/null &
server=$!
for _ in $(seq 1 200); do
  [ -s "$ports" ] && break
  sleep 0.05
done
if [ -s "$ports" ]; then
  read -r port down <"$ports"
  export ZV_UPDATE_PORT=$port ZV_UPDATE_DOWN_PORT=$down
else
  echo "with-update-server.sh: the server did not start:" >&2
  cat "$PWD/update_server.log" >&2
fi
# Loopback requests must not go to a proxy of the environment.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
