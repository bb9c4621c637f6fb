# Shared by the benchmark drivers in bench/run.d: a reference service of their own on
# 127.0.0.1 ports 80 and 21 (so they must run inside a private network namespace), a registry
# file that points the library at it, and small timing helpers. Source it after setting
# `set -euo pipefail`; it defines $root, $python and $work and removes $work on exit.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
python=/usr/bin/python3
work=$(mktemp -d)
service_pid=""

bench_cleanup() {
    if [ -n "$service_pid" ]; then
        kill -TERM "$service_pid" 2>/dev/null || true
        wait "$service_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap bench_cleanup EXIT

# Starts the service on $work/data (with any further arguments given, e.g. a certificate),
# waits for its ready line, creates the FTP directory "bench" for curl's copies and points the
# library at the service.
start_service() {
    mkdir -p "$work/data"
    (cd "$root" && exec "$python" -m service --data "$work/data" --host 127.0.0.1 \
        --http-port 80 --ftp-port 21 "$@" >"$work/service.out" 2>"$work/service.err") &
    service_pid=$!
    for _ in $(seq 200); do
        grep -q '^ready' "$work/service.out" 2>/dev/null && break
        sleep 0.1
    done
    grep -q '^ready' "$work/service.out" || { cat "$work/service.err" >&2; exit 1; }
    mkdir -p "$work/data/ftp/bench"
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\r\n"Server"="127.0.0.1"\r\n' \
        >"$work/registry.reg"
    export VANTA_REGISTRY="$work/registry.reg"
}

# Registers the account "bench" (password "pw", product 3) with a quota that nothing reaches.
register_bench_user() {
    post /cgiscripts/create_user.exe \
        'Cust=bench&First=B&Last=B&Addr=A&City=C&St=S&Zip=1&EMail=b@example.com&Day=1&Ex=1&Fax=1&Night=1&Mid=M&Code=1&PostPW=pw&ProductId=3'
    post /_control/quota '{"user": "bench", "quota": 1000000000000000}'
}

post() { curl -s --noproxy '*' -X POST --data "$2" "http://127.0.0.1$1" >/dev/null; }
now_ns() { date +%s%N; }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
