# shellcheck shell=bash
# Shared by the benchmark drivers in bench/run.d: a reference service of their own on
# 127.0.0.1 ports 80 and 21 (so they must run inside a private network namespace), a registry
# file that points the library at it, and small timing helpers. Source it after setting
# `set -euo pipefail`; it defines $root, $python and $work and removes $work on exit.
#
# With BENCH_FTP_SERVER=vsftpd, a C FTP server (bench/vsftpd.sh) takes port 21 instead of the
# service's own, serving the service's FTP tree, so that the transfer figures show the
# client's ceiling rather than the Python server's. $ftp_login is the login both clients use
# and $ftp_server names the server in the drivers' headlines.
#
# With BENCH_LATENCY_MS=D (milliseconds, 0 for none), a driver that calls start_latency_relay
# has its FTP clients reach the server through bench/latency-relay, which delays every chunk
# by D each way: a link of 2 x D ms round trip. $client_ftp_port is the port the clients use
# and $link_note says which link it is.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
python=/usr/bin/python3
work=$(mktemp -d)
service_pid=""
relay_pid=""
latency_ms=${BENCH_LATENCY_MS:-0}
client_ftp_port=21
# shellcheck disable=SC2034 # read by the drivers
link_note="over loopback"
ftp_server_kind=${BENCH_FTP_SERVER:-reference}
# shellcheck disable=SC2034 # both read by the drivers
{
    ftp_login=mossbay:mossbay
    ftp_server="the reference service"
}
# shellcheck source=vsftpd.sh
source "$root/bench/vsftpd.sh"

bench_cleanup() {
    if [ -n "$relay_pid" ]; then
        kill -TERM "$relay_pid" 2>/dev/null || true
        wait "$relay_pid" 2>/dev/null || true
    fi
    stop_vsftpd
    if [ -n "$service_pid" ]; then
        kill -TERM "$service_pid" 2>/dev/null || true
        wait "$service_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap bench_cleanup EXIT

# Starts the service on $work/data (with any further arguments given, e.g. a certificate),
# waits for its ready line, creates the FTP directory "bench" for curl's copies and points the
# library at the service. With BENCH_FTP_SERVER=vsftpd, vsftpd then takes port 21 (over TLS
# too when the service was given a certificate).
start_service() {
    local ftp_port=21
    [ "$ftp_server_kind" = vsftpd ] && ftp_port=2121
    mkdir -p "$work/data"
    (cd "$root" && exec "$python" -m service --data "$work/data" --host 127.0.0.1 \
        --http-port 80 --ftp-port "$ftp_port" "$@" >"$work/service.out" 2>"$work/service.err") &
    service_pid=$!
    wait_ready "$work/service" 20
    mkdir -p "$work/data/ftp/bench"
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\r\n"Server"="127.0.0.1"\r\n' \
        >"$work/registry.reg"
    export VANTA_REGISTRY="$work/registry.reg"
    if [ "$ftp_server_kind" = vsftpd ]; then
        local cert=""
        [ "${1:-}" = --tls-cert ] && cert=$2
        start_vsftpd "$work/vsftpd" "$work/data/ftp" "$cert" "${4:-}"
        # shellcheck disable=SC2034 # both read by the drivers
        {
            ftp_login=anonymous:bench
            ftp_server=vsftpd
        }
        # The library logs in as the same anonymous user.
        export VANTA_LOGIN=anonymous VANTA_LOGIN_PASSWORD=bench
    fi
}

# Waits up to SECONDS for NAME.out to start with a "ready" line; else shows NAME.err and exits.
wait_ready() {
    local name=$1 seconds=$2
    for _ in $(seq $((seconds * 10))); do
        grep -q '^ready' "$name.out" 2>/dev/null && return 0
        sleep 0.1
    done
    cat "$name.err" >&2
    exit 1
}

# With BENCH_LATENCY_MS more than 0, puts the latency relay on 127.0.0.1 port 2100 in front
# of the FTP server on port 21 and points the library at it; waits for its ready line.
start_latency_relay() {
    [[ $latency_ms =~ ^[0-9]+$ ]] || {
        echo "$(basename "$0"): BENCH_LATENCY_MS is milliseconds, not '$latency_ms'" >&2
        exit 2
    }
    [ "$latency_ms" -gt 0 ] || return 0
    client_ftp_port=2100
    "$python" "$root/bench/latency-relay" "$client_ftp_port" 21 "$latency_ms" \
        >"$work/relay.out" 2>"$work/relay.err" &
    relay_pid=$!
    wait_ready "$work/relay" 5
    export VANTA_FTP_PORT=$client_ftp_port
    # shellcheck disable=SC2034 # read by the drivers
    link_note="over a link of $((2 * latency_ms)) ms round trip (bench/latency-relay)"
}

# Registers the account "bench" (password "pw", product 3) with a quota that nothing reaches.
register_bench_user() {
    post /cgiscripts/create_user.exe \
        'Cust=bench&First=B&Last=B&Addr=A&City=C&St=S&Zip=1&EMail=b@example.com&Day=1&Ex=1&Fax=1&Night=1&Mid=M&Code=1&PostPW=pw&ProductId=3'
    post /_control/quota '{"user": "bench", "quota": 1000000000000000}'
}

# The control interface wants the token the service wrote at start (on stdin: never on a
# command line); the CGI programs get no header.
post() {
    local token=""
    [[ $1 == /_control/* ]] && token="X-Control-Token: $(<"$work/data/control-token")"
    printf '%s\n' "$token" |
        curl -s --noproxy '*' -H @- -X POST --data "$2" "http://127.0.0.1$1" >/dev/null
}
now_ns() { date +%s%N; }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
# The target ratio of a driver: the first argument against the reference service, the second
# against vsftpd.
target_ratio() { if [ "$ftp_server_kind" = vsftpd ]; then echo "$2"; else echo "$1"; fi; }
