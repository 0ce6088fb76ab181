#!/usr/bin/env bash
# The SSH server of the remote-file tests: OpenSSH's sshd on 127.0.0.1 at a free port,
# with its own configuration, host key and internal SFTP server, for a test user whose
# password holds a blank, a double quote and a trailing backslash, and who may also log
# in with an ed25519 key that is given to the tests in PuTTY's .ppk format.
#   sshd-fixture.sh start DIR   starts it and describes it in DIR/fixture.txt
#   sshd-fixture.sh stop DIR    stops it and removes its remote files
# A server that this script started in DIR earlier and that still runs is used again:
# inside the user namespace of the qemu-user test path sshd cannot switch to the test
# user, so scripts/test.sh starts it before entering that namespace, and the tests' own
# start finds it. Where it cannot run (no root to create the user, a tool missing) it says
# why in fixture.txt, and the tests that need it skip with that reason. It listens on the
# loopback address only.
set -uo pipefail

action=${1:?usage: sshd-fixture.sh start|stop DIR}
dir=${2:?usage: sshd-fixture.sh start|stop DIR}
user=zvsftptest
password='pa ss"word\'

stop_server() {
  if [ -f "$dir/sshd.pid" ]; then
    pid=$(cat "$dir/sshd.pid")
    # Only the server that this fixture started: its command line names our config.
    if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF "$dir/sshd_config"; then
      kill "$pid" 2>/dev/null
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$dir/sshd.pid"
  fi
  if [ -f "$dir/remote_root" ]; then
    remote_root=$(cat "$dir/remote_root")
    case "$remote_root" in /tmp/zorvik-sftp.*) rm -rf "$remote_root" ;; esac
    rm -f "$dir/remote_root"
  fi
}

# The server described in fixture.txt, when it still runs and answers.
running_server() {
  [ -f "$dir/fixture.txt" ] && grep -qx 'available=1' "$dir/fixture.txt" && [ -f "$dir/sshd.pid" ] || return 1
  local pid port
  pid=$(cat "$dir/sshd.pid")
  port=$(sed -n 's/^port=//p' "$dir/fixture.txt")
  [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF "$dir/sshd_config" &&
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
}

# Only the whole range of user ids maps to itself outside a user namespace.
in_user_namespace() {
  [ "$(awk 'NR == 1 {print $1, $2, $3}' /proc/self/uid_map 2>/dev/null)" != "0 0 4294967295" ]
}

unavailable() {
  printf 'available=0\nreason=%s\n' "$1" >"$dir/fixture.txt"
  echo "sshd fixture: $1; the tests that need the SSH server are skipped" >&2
  exit 0
}

case "$action" in
  stop) stop_server; exit 0 ;;
  start) ;;
  *) echo "sshd-fixture.sh: unknown action $action" >&2; exit 2 ;;
esac

mkdir -p "$dir"
if running_server; then
  echo "sshd fixture: the server started earlier listens on 127.0.0.1:$(sed -n 's/^port=//p' "$dir/fixture.txt")"
  exit 0
fi
stop_server
rm -f "$dir/fixture.txt"

[ "$(id -u)" = 0 ] || unavailable "not running as root, which creating the test user needs"
in_user_namespace && unavailable "inside a user namespace, where sshd cannot switch to the test user (scripts/test.sh starts this fixture before entering it)"
for tool in /usr/sbin/sshd ssh-keygen puttygen useradd chpasswd python3; do
  command -v "$tool" >/dev/null || unavailable "$tool is missing (scripts/setup.sh installs openssh-server and putty-tools)"
done

if ! id "$user" >/dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" 2>/dev/null ||
    id "$user" >/dev/null 2>&1 || unavailable "could not create the user $user"
fi
# Several test runs on one machine set the same password; the shadow file's lock may be
# held by another for a moment.
set_password() {
  for _ in $(seq 20); do
    printf '%s:%s\n' "$user" "$password" | chpasswd 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}
set_password || unavailable "could not set the password of $user"

mkdir -p /run/sshd
[ -f "$dir/host_key" ] || ssh-keygen -q -t ed25519 -N '' -C zorvik-test-host -f "$dir/host_key" || unavailable "ssh-keygen failed"
if [ ! -f "$dir/client key.ppk" ]; then
  rm -f "$dir/client_key" "$dir/client_key.pub"
  ssh-keygen -q -t ed25519 -N '' -C zorvik-test-client -f "$dir/client_key" &&
    puttygen "$dir/client_key" -O private -o "$dir/client key.ppk" || unavailable "could not make the client key"
fi

# The files the tests download, readable by the test user; the folder name holds a blank.
remote_root=$(mktemp -d /tmp/zorvik-sftp.XXXXXX) || unavailable "mktemp failed"
echo "$remote_root" >"$dir/remote_root"
chmod 755 "$remote_root"
mkdir "$remote_root/remote files"
printf 'first line\r\nsecond line\r\n' >"$remote_root/remote files/a b.txt"
printf 'quoted name\n' >"$remote_root/remote files/q\"uote.txt"
cp "$dir/client_key.pub" "$remote_root/authorized_keys"
chmod -R a+rX "$remote_root"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$dir/sshd_config" <<EOF
Port $port
ListenAddress 127.0.0.1
HostKey "$dir/host_key"
PidFile "$dir/sshd.pid"
UsePAM no
PasswordAuthentication yes
PermitEmptyPasswords no
KbdInteractiveAuthentication no
PubkeyAuthentication yes
AuthorizedKeysFile "$remote_root/authorized_keys"
StrictModes no
AllowUsers $user
PermitRootLogin no
Subsystem sftp internal-sftp
ForceCommand internal-sftp
LogLevel VERBOSE
EOF
/usr/sbin/sshd -t -f "$dir/sshd_config" 2>"$dir/sshd.log" || unavailable "sshd rejects its configuration: $(head -1 "$dir/sshd.log")"
/usr/sbin/sshd -f "$dir/sshd_config" -E "$dir/sshd.log" </dev/null >/dev/null 2>&1 || unavailable "sshd did not start"
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
(exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || unavailable "sshd does not listen on 127.0.0.1:$port"

cat >"$dir/fixture.txt" <<EOF
available=1
port=$port
user=$user
password=$password
key=$dir/client key.ppk
remote=$remote_root/remote files/
EOF
echo "sshd fixture: listening on 127.0.0.1:$port"
