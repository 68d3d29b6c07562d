#!/usr/bin/env bash
# Upload speed of our ftp.exe against the curl command-line tool, side by
# side on one vsftpd bound to 127.0.0.1 (data on tmpfs, so neither disk nor
# server sets the pace):
#   1. one 500 MB file;
#   2. the progress window's cost: ours with the window shown (minimized, on
#      an Xvfb display of its own) against ours without, sending that file
#      four times in one script (2 GB: a shorter send is mostly start-up and
#      noise), the window's own start and end (a script of only "bye") taken
#      off; seven rounds, as run-to-run spread on loopback is wide;
#   3. 200 small files: one script for ours, curl once per file, and curl
#      sending them all over one connection.
# Five rounds unless said, the programs alternating within each; medians are
# reported.
# Usage: bench/ftp_bench.sh [folder of ftp.exe]   (default: build/bin)
set -euo pipefail

bin_dir=$(cd "${1:-$(dirname "$0")/../build/bin}" && pwd)
client="$bin_dir/ftp.exe"
[[ -x $client ]] || { echo "no $client: build the wavecrest_ftp target first" >&2; exit 1; }

# Bench-only tools, installed here rather than for every machine.
if ! command -v vsftpd >/dev/null && [[ ! -x /usr/sbin/vsftpd ]] || ! command -v curl >/dev/null; then
    apt-get install -y vsftpd curl >/dev/null
fi
id ftp >/dev/null 2>&1 || useradd --system --no-create-home --home-dir /srv/ftp ftp
mkdir -p /var/run/vsftpd/empty

work=$(mktemp -d -p /dev/shm ftpbench.XXXXXX)
chmod 755 "$work"
server_pid=""
display_pid=""
cleanup() {
    [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null || true
    [[ -n $display_pid ]] && kill "$display_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$work/root/up" "$work/local/small"
chown ftp "$work/root/up"
# A wide passive range below the ephemeral ports: 200 files a run, several
# runs a round, and every data port lingers in TIME_WAIT for a minute.
cat >"$work/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_other_write_enable=YES
anon_root=$work/root
no_anon_password=YES
pasv_enable=YES
pasv_min_port=10000
pasv_max_port=30000
seccomp_sandbox=NO
secure_chroot_dir=/var/run/vsftpd/empty
xferlog_enable=NO
dirmessage_enable=NO
max_per_ip=0
CONF
/usr/sbin/vsftpd "$work/vsftpd.conf" &
server_pid=$!
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done

display=":$((port % 1000 + 100))"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
display_pid=$!
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done

url="ftp://127.0.0.1:$port/up"
now() { date +%s.%N; }
seconds_of() { local start; start=$(now); "$@" >/dev/null; awk -v a="$(now)" -v b="$start" 'BEGIN { print a - b }'; }
clear_uploads() { find "$work/root/up" -mindepth 1 -delete; }

run_ours() { # script lines...
    printf '%s\n' "open 127.0.0.1 $port" anonymous guest@ binary prompt "cd up" "$@" bye \
        >"$work/local/bench.ftps"
    (cd "$work/local" && "$client" -s:bench.ftps) || { echo "ftp.exe failed" >&2; exit 1; }
}
run_ours_windowed() { DISPLAY=$display WAVECREST_SHOW_WINDOW=2 run_ours "$@"; }

echo "Creating 500 MB and 200 small files in $work ..."
head -c $((500 * 1024 * 1024)) /dev/urandom >"$work/local/big.bin"
for i in $(seq -w 1 200); do head -c $((8192 + 37 * 10#$i)) /dev/urandom >"$work/local/small/s$i.mp3"; done
small_names=$(cd "$work/local/small" && ls | paste -sd, -)

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
rounds="1 2 3 4 5"
ours_big=(); curl_big=()
for round in $rounds; do
    clear_uploads
    ours_big+=("$(seconds_of run_ours "put big.bin")")
    cmp -s "$work/local/big.bin" "$work/root/up/big.bin" || { echo "ftp.exe: big.bin differs" >&2; exit 1; }
    clear_uploads
    curl_big+=("$(seconds_of curl -sS --user anonymous:guest@ -T "$work/local/big.bin" "$url/")")
    cmp -s "$work/local/big.bin" "$work/root/up/big.bin" || { echo "curl: big.bin differs" >&2; exit 1; }
done
t_ours_big=$(printf '%s\n' "${ours_big[@]}" | median)
t_curl_big=$(printf '%s\n' "${curl_big[@]}" | median)

four_puts=("put big.bin" "put big.bin" "put big.bin" "put big.bin")
plain_long=(); windowed_long=(); window_alone=(); window_ratios=()
for round in 1 2 3 4 5 6 7; do
    clear_uploads
    plain=$(seconds_of run_ours "${four_puts[@]}")
    clear_uploads
    windowed=$(seconds_of run_ours_windowed "${four_puts[@]}")
    cmp -s "$work/local/big.bin" "$work/root/up/big.bin" || { echo "window: big.bin differs" >&2; exit 1; }
    alone=$(seconds_of run_ours_windowed)
    plain_long+=("$plain"); windowed_long+=("$windowed"); window_alone+=("$alone")
    window_ratios+=("$(awk -v p="$plain" -v w="$windowed" -v a="$alone" 'BEGIN { print p / (w - a) }')")
done
t_plain_long=$(printf '%s\n' "${plain_long[@]}" | median)
t_windowed_long=$(printf '%s\n' "${windowed_long[@]}" | median)
t_window_alone=$(printf '%s\n' "${window_alone[@]}" | median)
r_window=$(printf '%s\n' "${window_ratios[@]}" | median)
r_window_spread=$(printf '%s\n' "${window_ratios[@]}" | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.2f-%.2f", lo, hi }')

ours_small=(); curl_each=(); curl_reuse=()
for round in $rounds; do
    clear_uploads
    # Songs sent once are marked so that a second send skips them; a file
    # changed since fits no mark, so each round sends all 200 again.
    touch "$work/local/small/"*.mp3
    ours_small+=("$(seconds_of run_ours "mput small/*.mp3")")
    [[ $(ls "$work/root/up" | wc -l) == 200 ]] || { echo "ftp.exe: not all small files" >&2; exit 1; }
    clear_uploads
    curl_each+=("$(seconds_of bash -c 'for f in "$1"/*.mp3; do curl -sS --user anonymous:guest@ -T "$f" "$2/" || exit 1; done' _ "$work/local/small" "$url")")
    clear_uploads
    curl_reuse+=("$(seconds_of curl -sS --user anonymous:guest@ -T "$work/local/small/{$small_names}" "$url/")")
    [[ $(ls "$work/root/up" | wc -l) == 200 ]] || { echo "curl: not all small files" >&2; exit 1; }
done
t_ours_small=$(printf '%s\n' "${ours_small[@]}" | median)
t_curl_each=$(printf '%s\n' "${curl_each[@]}" | median)
t_curl_reuse=$(printf '%s\n' "${curl_reuse[@]}" | median)

mbps() { awk -v t="$1" 'BEGIN { printf "%.1f", 500 / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo
echo "One 500 MB file over loopback (median of 5):"
printf '  ftp.exe  %7.3f s  %7s MB/s\n' "$t_ours_big" "$(mbps "$t_ours_big")"
printf '  curl     %7.3f s  %7s MB/s\n' "$t_curl_big" "$(mbps "$t_curl_big")"
echo "  throughput ftp.exe / curl = $(ratio "$t_curl_big" "$t_ours_big")  (goal: >= 1.00)"
echo
echo "The progress window's cost, 2 GB in one script (median of 7):"
printf '  ftp.exe without a window %7.3f s, with it %7.3f s, of which %.3f s the window alone\n' \
    "$t_plain_long" "$t_windowed_long" "$t_window_alone"
printf '  throughput with the progress shown / without = %.2f (rounds %s)  (goal: >= 0.98)\n' \
    "$r_window" "$r_window_spread"
echo
echo "200 small files (8-16 KB), median of 5:"
printf '  ftp.exe, one script        %7.3f s\n' "$t_ours_small"
printf '  curl, one command per file %7.3f s   ftp.exe is %sx faster\n' "$t_curl_each" "$(ratio "$t_curl_each" "$t_ours_small")"
printf '  curl, one connection       %7.3f s   time ratio ftp.exe / curl = %s\n' "$t_curl_reuse" "$(ratio "$t_ours_small" "$t_curl_reuse")"
