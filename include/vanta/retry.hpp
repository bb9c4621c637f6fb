/// \file
/// When a request that failed on the network is made again: the retry policy (how often, how
/// long in all, how long to wait between attempts) and, per operation, what is safe to repeat.
#pragma once

#include <chrono>
#include <string_view>

namespace vanta {

/// How a failed request is repeated. An attempt that fails on the network is repeated while
/// attempts are left, the operation may be repeated after that failure (safe_to_repeat below),
/// and the wait before the next attempt still ends inside the budget. The wait doubles from
/// initial_backoff up to max_backoff, each one shortened at random by up to `jitter` of itself
/// so that many clients refused at once do not come back at once. A job's cancel ends a wait
/// at once. A failure after retries tells the number of attempts and the last reason
/// ("cannot connect to ... (after 3 attempts)"); the trace shows each retry.
///
/// vanta::Config starts with the client's default: two retries within 10 s, the first after
/// 250 ms, waits of at most 2 s. The exports make exactly one attempt, as they always have,
/// unless the process names a number of retries (VANTA_RETRIES, else the registry file's
/// "Retries"); the other settings then keep the values below.
struct RetryPolicy {
    /// Attempts after the first; 0 makes one attempt only. At most 100.
    unsigned int retries = 2;
    /// No retry starts when its wait would end later than this after the first attempt
    /// began. The attempts themselves keep their own time-outs. 1 ms to 24 hours.
    std::chrono::milliseconds budget{10000};
    /// The wait before the first retry; each further wait doubles, up to max_backoff.
    std::chrono::milliseconds initial_backoff{250};
    std::chrono::milliseconds max_backoff{2000}; ///< the longest wait between two attempts
    /// The share (0 to 1) by which each wait is shortened at random; 0: exact waits.
    double jitter = 0.2;

    /// One attempt, no retry: the exports' behaviour when the process names no policy.
    static constexpr RetryPolicy none() noexcept {
        RetryPolicy policy;
        policy.retries = 0;
        return policy;
    }
};

/// When a failed request may be made again.
enum class RepeatWhen {
    /// A read: after any failure of the network (not after the service answered, however).
    any_network_failure,
    /// A write: only when the request provably never reached the service: the name was not
    /// resolved, the connection was refused or the host unreachable, or the TLS handshake
    /// failed before the request was sent. Never once its body may have arrived, so that a
    /// repeated write never creates a second asset or sends a second mail.
    never_reached,
    /// A send of files over FTP: after a broken connection or a login answered 421, a new
    /// login, and the file that broke off goes on where the server's copy ends, its length
    /// checked once it is whole; no byte is sent or counted twice. A refused login, directory
    /// or file is final, and a local file that changed between attempts fails the send. After
    /// a break that came once the send had got further than ever before, the new login is
    /// made at once (the server was up and taking bytes), the back-off starts again from its
    /// first wait, and the budget runs again, so that a long send that breaks late still goes
    /// on; the number of attempts holds. The self-update download does the same.
    resume,
};

/// One row of the table below: an operation of vanta::Client (the exports that do the same
/// follow the same rule) and when it is repeated.
struct RepeatRule {
    std::string_view operation; ///< the name of the vanta::Client operation
    RepeatWhen when;            ///< when it is made again after a failure
};

/// What is safe to repeat, per operation. post_request sends to any program, so it is taken
/// for a write. Every FTP operation also logs in again when its connect or login fails on the
/// network (refused, unreachable, timed out, the server's 421): nothing of it has reached the
/// service then, so this holds for its writes too.
inline constexpr RepeatRule safe_to_repeat[] = {
    {"validate_user", RepeatWhen::any_network_failure},
    {"user_info", RepeatWhen::any_network_failure},
    {"asset_info", RepeatWhen::any_network_failure},
    {"asset_list", RepeatWhen::any_network_failure},
    {"asset_stats", RepeatWhen::any_network_failure},
    {"disk_space", RepeatWhen::any_network_failure},
    {"homepage", RepeatWhen::any_network_failure},
    {"check_version", RepeatWhen::any_network_failure},
    {"register_user", RepeatWhen::never_reached},
    {"update_user", RepeatWhen::never_reached},
    {"delete_user", RepeatWhen::never_reached},
    {"create_asset", RepeatWhen::never_reached}, // an upload's or share's first request
    {"delete_asset", RepeatWhen::never_reached},
    {"update_homepage", RepeatWhen::never_reached},
    {"delete_homepage", RepeatWhen::never_reached},
    {"send_notification", RepeatWhen::never_reached}, // the notice after an upload
    {"send_mail", RepeatWhen::never_reached},         // the mail job's requests
    {"post_request", RepeatWhen::never_reached},
    {"send_file", RepeatWhen::resume},
    {"send_files", RepeatWhen::resume}, // also the files of an upload or a share
    // FTP: the look-up and the self-update download read; a download that broke off goes on
    // from the bytes that arrived (REST, RETR). The removals write: they repeat only until
    // their DELE or RMD has been sent.
    {"file_exists", RepeatWhen::any_network_failure},
    {"download_update", RepeatWhen::any_network_failure},
    {"delete_file", RepeatWhen::never_reached},
    {"remove_directory", RepeatWhen::never_reached},
};

/// The rule of `operation` in safe_to_repeat; an operation that is not in the table is
/// refused at compile time.
consteval RepeatWhen repeat_rule(std::string_view operation) {
    for (const RepeatRule& rule : safe_to_repeat) {
        if (rule.operation == operation) {
            return rule.when;
        }
    }
    throw "an operation missing from vanta::safe_to_repeat";
}

} // namespace vanta
