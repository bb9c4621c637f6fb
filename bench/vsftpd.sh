# shellcheck shell=bash
# vsftpd for the benchmarks (sourced by bench/lib.sh): a C FTP server on 127.0.0.1 port 21 of
# the benchmark's private network namespace, configured from a file written here, serving an
# existing directory tree to anonymous logins that may upload, make directories and delete.
#
# vsftpd runs an anonymous session as the user `ftp_username` inside a chroot, and refuses a
# chroot root that this user may write to. The session runs as root here (the only user that
# exists in a namespace mapped for an unprivileged caller too), and root may write anywhere,
# so the tree is served through a read-only bind mount with writable bind mounts of the
# directories uploads go to ("assets" and "bench"); the mounts live in the namespace's own
# mount table (scripts/netns-run gives the command one) and vanish with it.
#
# Resumed uploads need anon_other_write_enable: without it vsftpd answers an anonymous APPE
# with 550 and a STOR after REST with 553 (it may then only create new files). SIZE and a
# RETR after REST need nothing.
vsftpd_pid=""
vsftpd_dir=""

# start_vsftpd DIR TREE [CERT KEY]: serves TREE, keeping its own files in DIR; with a
# certificate and its key, explicit FTPS is required on the control and data connections.
# Waits until the server answers. The login is anonymous, with any password.
start_vsftpd() {
    local dir=$1 tree=$2 cert=${3:-} key=${4:-} dirs
    # vsftpd changes users and groups for every session, which a namespace mapped for an
    # unprivileged caller (root inside, nobody else) does not allow.
    if ! awk '$1 == 0 && $2 == 0 { whole = 1 } END { exit !whole }' /proc/self/uid_map; then
        echo "$(basename "$0"): skipped against vsftpd, which needs the benchmarks run as root"
        exit 0
    fi
    vsftpd_dir=$dir
    mkdir -p "$dir/root" "$dir/empty" "$tree/assets" "$tree/bench"
    mount --bind "$tree" "$dir/root"
    mount -o remount,bind,ro "$dir/root"
    for dirs in assets bench; do
        mount --bind "$tree/$dirs" "$dir/root/$dirs"
    done
    cat >"$dir/vsftpd.conf" <<CONF
listen=YES
listen_address=127.0.0.1
listen_port=21
background=NO
anonymous_enable=YES
local_enable=NO
no_anon_password=YES
ftp_username=root
anon_root=$dir/root
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
secure_chroot_dir=$dir/empty
pasv_enable=YES
pasv_address=127.0.0.1
pasv_min_port=30000
pasv_max_port=30999
port_enable=YES
connect_from_port_20=NO
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
xferlog_enable=NO
vsftpd_log_file=$dir/vsftpd.log
CONF
    if [ -n "$cert" ]; then
        cat >>"$dir/vsftpd.conf" <<CONF
ssl_enable=YES
allow_anon_ssl=YES
force_anon_logins_ssl=YES
force_anon_data_ssl=YES
require_ssl_reuse=NO
rsa_cert_file=$cert
rsa_private_key_file=$key
CONF
    fi
    /usr/sbin/vsftpd "$dir/vsftpd.conf" >"$dir/vsftpd.out" 2>&1 &
    vsftpd_pid=$!
    for _ in $(seq 50); do
        (echo >/dev/tcp/127.0.0.1/21) 2>/dev/null && break
        sleep 0.1
    done
    kill -0 "$vsftpd_pid" 2>/dev/null || { cat "$dir/vsftpd.out" >&2; exit 1; }
}

stop_vsftpd() {
    [ -n "$vsftpd_pid" ] || return 0
    kill -TERM "$vsftpd_pid" 2>/dev/null || true
    wait "$vsftpd_pid" 2>/dev/null || true
    vsftpd_pid=""
    umount -R "$vsftpd_dir/root" 2>/dev/null || true
}
