// Where the library finds the service: host, ports and the FTP wait limit.
//
// One process-wide configuration is built while the library loads (config_loader.h) and may
// be changed later, while calls run (QDX_SetServiceAddress). Every configuration published
// stays alive until unload, so a reference from CurrentProcessConfig() never dangles. An
// export takes it once, when it starts, into its call context (exports/export_context.h); a
// job captures it at its start; a client object carries a configuration of its own.
#pragma once

#include "transport/globals.h"
#include "vanta/defaults.hpp"
#include "vanta/retry.hpp"

#include <chrono>
#include <memory>
#include <string>

struct ServiceConfig {
    std::string host;
    unsigned httpPort = vanta::defaults::http_port;
    unsigned ftpPort = vanta::defaults::ftp_port;
    // An HTTP request's connect, and each wait for its next bytes, fail after this long
    // without progress. The exports keep the default; a client may set its own.
    std::chrono::milliseconds httpTimeout = vanta::defaults::http_timeout;
    // No progress on an FTP control or data connection for this long ends the operation.
    std::chrono::milliseconds ftpTimeout = vanta::defaults::ftp_timeout;
    // Transport security (transport/security_settings.h): requests over HTTPS on httpsPort
    // and explicit FTPS on ftpPort; certificates checked against the system's store and, when
    // named, the CA file too.
    bool tls = false;
    std::string caFile;
    unsigned httpsPort = vanta::defaults::https_port;
    // The login presented on both channels: Basic credentials of every request, USER and
    // PASS of every FTP connection; the documented pair unless set.
    std::string loginName = LoginName;
    std::string loginPassword = LoginPassword;
    // The public key (PEM) that the self-update download must be signed with; empty: the
    // download is not checked.
    std::string updateKeyFile;
    // How a request that failed on the network is repeated (transport/retry_schedule.h). The
    // process's configuration makes one attempt unless VANTA_RETRIES or the registry file's
    // "Retries" names more; a client's carries its Config's.
    vanta::RetryPolicy retry = vanta::RetryPolicy::none();
    // How many FTP connections a multi-file send may use at once (transport/parallel_send.h).
    // The process's configuration keeps one, and with it the order of the files on the wire,
    // unless VANTA_PARALLEL_TRANSFERS names more; a client's carries its Config's.
    unsigned parallelTransfers = 1;
};

// Why a setting is not what its source asked for: the registry file that should name the
// host cannot be read, an environment value is no number, ... One text per setting, ""
// when nothing went wrong.
struct ConfigProblems {
    std::string host;
    std::string httpPort;
    std::string ftpPort;
    std::string ftpTimeout;
    std::string security; // TLS, CA file, HTTPS port
    std::string updateKey;
    std::string retries;
    std::string parallelTransfers;

    // The non-empty texts joined with "; ".
    std::string Joined() const;
};

// The process-wide configuration as it stands now, for an export that starts. Every
// configuration published stays alive until unload, so the reference never dangles.
const ServiceConfig& CurrentProcessConfig();

// The process-wide configuration as it stands now, for a job that captures it at its start.
std::shared_ptr<const ServiceConfig> ProcessConfig();
// The problems of the process-wide configuration, joined; "" when there are none.
std::string ConfigurationProblem();

// Replaces the process-wide configuration and its problems for every call that starts
// afterwards.
void PublishProcessConfig(ServiceConfig config, ConfigProblems problems);
// Changes the host (unless null) and the ports (unless 0) of the process-wide configuration;
// what is changed loses its problem.
void ChangeProcessConfig(const char* host, unsigned httpPort, unsigned ftpPort);

// Turns TLS on (1) or off (0) unless `tls` is -1, and sets the extra CA file unless it is
// null ("" for none), in the process-wide configuration; the security settings lose their
// problem.
void ChangeProcessSecurity(int tls, const char* caFile);

// Sets the self-update key file of the process-wide configuration ("" for none); the key's
// problem goes.
void ChangeProcessUpdateKey(const char* keyFile);
