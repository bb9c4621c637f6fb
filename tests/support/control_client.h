// Client for the reference service's control interface (http://127.0.0.1:80/_control/):
// script the next replies of a CGI program, read the request log, set quotas, inject FTP
// faults, read the FTP log, reset. Every call carries the token the service wrote at its start
// (SetToken) and throws std::runtime_error when the service cannot be reached or answers with
// a status other than 2xx.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace vanta::test {

// How the service answers the next request to `path`.
struct ReplyScript {
    std::string path;                    // e.g. "/cgiscripts/get_version.exe"
    std::string body;                    // raw bytes (sent base64-encoded)
    std::optional<int> status;           // HTTP status; unset: 200, or 302 with a redirect
    std::optional<std::string> redirect; // Location of a redirect reply
    int delay_ms = 0;                    // wait before sending the headers
    std::optional<uint64_t> stall_after; // stop sending after this many body bytes ...
    int stall_ms = 0;                    // ... for this long
    std::optional<uint64_t> close_after; // close the connection after this many body bytes
    int trickle_ms = 0;                  // send the body one byte at a time, this far apart
    bool endless = false; // no length: the body (or "x") again and again until the client quits
};

struct LoggedRequest {
    std::string method;
    std::string path; // the request target as sent, query included
    std::vector<std::pair<std::string, std::string>> headers; // as received, in order
    std::string body;                                         // raw bytes

    // The first header of that name (compared without regard to case).
    std::optional<std::string> Header(const std::string& name) const;
};

struct FtpSessionLog {
    // (session id, "CMD arg") as received, in order; the id is the service's, as text.
    std::vector<std::pair<std::string, std::string>> commands;
    int logins = 0;
    int sessions_open = 0;
    int sessions_total = 0;
};

// Base64 (standard alphabet, padded), as in the logged bodies and in Basic credentials.
std::string Base64Encode(std::string_view bytes);

namespace control {

// The token every call sends from now on (the service fixture reads it at each start).
void SetToken(std::string token);

// Forgets scripts, the request log, FTP faults and the FTP log; with data=true also the
// stored data (users, assets, files, mail).
void Reset(bool data = false);

void Script(const ReplyScript& script);

// Every request the service received since the last reset, control requests excluded.
std::vector<LoggedRequest> RequestLog();

// The logged requests to `path` (the query is ignored).
std::vector<LoggedRequest> RequestsTo(const std::string& path);

void SetQuota(const std::string& user, uint64_t quota);

// Posts `faults` as given, e.g. {"refuse_login": true} or {"fail_stor_after": 1000}.
// Hostile-server faults: {"stall_stor_after": N} (a STOR is no longer read after N bytes),
// {"stall_send_after": N} (RETR and NLST data stop after N bytes), {"dele_1xx_drop": true}
// (DELE answered 150, then the connection closed), {"active_from": "127.0.0.2"} (active-mode
// data connections come from that address). Network faults: {"drop_data_after": N} or
// {"drop_control_after": N} (the data or the control connection breaks once N file bytes have
// moved over data connections; "_every" instead of "_after" breaks it again every N bytes),
// {"login_421": K} (the next K logins answered 421 and the connection closed),
// {"refuse_connections_ms": T} (new connections refused for T ms). See service/README.md.
void FtpFaults(const nlohmann::json& faults);

FtpSessionLog FtpLog();

// A raw GET or POST, for what the functions above do not cover. Returns the parsed reply (null
// for an empty reply).
nlohmann::json Call(const std::string& method, const std::string& path,
                    const nlohmann::json& body = nullptr);
// The same to another local endpoint by its whole URL (the Linux side of a Windows run).
nlohmann::json CallUrl(const std::string& method, const std::string& url,
                       const nlohmann::json& body = nullptr, int timeoutMs = 15000);

} // namespace control

} // namespace vanta::test
