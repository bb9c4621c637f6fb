// The Client object itself and its configuration.
#include "client/client_impl.h"
#include "os/path_text.h"
#include "transport/config_loader.h"
#include "transport/host_value.h"

#include <utility>

namespace vanta {

namespace {
ServiceConfig ToServiceConfig(const Config& config) {
    ServiceConfig service;
    service.host = config.host;
    service.httpPort = config.http_port;
    service.ftpPort = config.ftp_port;
    service.ftpTimeout = config.ftp_timeout;
    service.httpTimeout = config.http_timeout;
    service.tls = config.tls;
    service.caFile = PathText(config.ca_file);
    service.httpsPort = config.https_port;
    service.updateKeyFile = PathText(config.update_key);
    service.retry = config.retry;
    service.parallelTransfers = config.parallel_transfers;
    // An empty login keeps the documented pair that ServiceConfig starts with.
    if (!config.login_name.empty()) {
        service.loginName = config.login_name;
    }
    if (!config.login_password.empty()) {
        service.loginPassword = config.login_password;
    }
    return service;
}
// Why `policy` cannot be used, or "".
std::string RetryPolicyProblem(const RetryPolicy& policy) {
    using std::chrono::hours;
    using std::chrono::milliseconds;
    if (policy.retries > 100) {
        return "retries must be from 0 to 100, not " + std::to_string(policy.retries);
    }
    if (policy.budget < milliseconds(1) || policy.budget > hours(24)) {
        return "budget must be from 1 ms to 24 hours, not " +
               std::to_string(policy.budget.count()) + " ms";
    }
    if (policy.initial_backoff < milliseconds(0) || policy.max_backoff < policy.initial_backoff ||
        policy.max_backoff > hours(24)) {
        return "the back-off must run from 0 up to at most 24 hours, not from " +
               std::to_string(policy.initial_backoff.count()) + " ms to " +
               std::to_string(policy.max_backoff.count()) + " ms";
    }
    // Written so that NaN fails too.
    if (!(policy.jitter >= 0 && policy.jitter <= 1)) {
        return "jitter must be from 0 to 1";
    }
    return {};
}

// Why `config` cannot be used, or "".
std::string ConfigProblem(const Config& config) {
    if (std::string problem = HostValueProblem(config.host); !problem.empty()) {
        return "the service host: " + problem;
    }
    using std::chrono::hours;
    using std::chrono::milliseconds;
    if (config.http_timeout < milliseconds(1) || config.http_timeout > hours(24)) {
        return "http_timeout must be from 1 ms to 24 hours, not " +
               std::to_string(config.http_timeout.count()) + " ms";
    }
    if (std::string problem = RetryPolicyProblem(config.retry); !problem.empty()) {
        return "retry: " + problem;
    }
    if (config.parallel_transfers < 1 ||
        config.parallel_transfers > defaults::max_parallel_transfers) {
        return "parallel_transfers must be from 1 to " +
               std::to_string(defaults::max_parallel_transfers) + ", not " +
               std::to_string(config.parallel_transfers);
    }
    return {};
}
} // namespace

std::string_view to_string(ErrorCategory category) noexcept {
    switch (category) {
    case ErrorCategory::network:
        return "network";
    case ErrorCategory::unknown_user:
        return "unknown_user";
    case ErrorCategory::wrong_password:
        return "wrong_password";
    case ErrorCategory::product_not_registered:
        return "product_not_registered";
    case ErrorCategory::not_found:
        return "not_found";
    case ErrorCategory::refused:
        return "refused";
    case ErrorCategory::no_space:
        return "no_space";
    case ErrorCategory::local_file:
        return "local_file";
    case ErrorCategory::unexpected_reply:
        return "unexpected_reply";
    case ErrorCategory::invalid_argument:
        return "invalid_argument";
    case ErrorCategory::cancelled:
        return "cancelled";
    case ErrorCategory::internal:
        return "internal";
    }
    return "unknown";
}

Config Config::from_environment() noexcept {
    Config config;
    // Read now, as the library reads it at load: environment, then registry file, then the
    // defaults. A source that cannot be used leaves its setting to the next one.
    try {
        const LoadedConfig loaded = LoadServiceConfig();
        const ServiceConfig& service = loaded.config;
        config.host = service.host;
        config.http_port = service.httpPort;
        config.ftp_port = service.ftpPort;
        config.ftp_timeout = service.ftpTimeout;
        config.http_timeout = service.httpTimeout;
        config.tls = service.tls;
        config.ca_file = service.caFile;
        config.https_port = service.httpsPort;
        config.login_name = service.loginName;
        config.login_password = service.loginPassword;
        config.update_key = service.updateKeyFile;
        if (loaded.retriesNamed) {
            config.retry = service.retry;
        }
        if (loaded.parallelTransfersNamed) {
            config.parallel_transfers = service.parallelTransfers;
        }
        config.problems = loaded.problems.Joined();
    } catch (...) {
        // Out of memory copying the texts: the defaults stand.
        config = Config{};
    }
    return config;
}

std::string host_problem(std::string_view host) noexcept {
    try {
        return HostValueProblem(host);
    } catch (...) {
        return "out of memory"; // short enough to need no allocation
    }
}

Client::Client(Config config) {
    auto impl = std::make_shared<detail::ClientState>();
    impl->service = ToServiceConfig(config);
    impl->configProblem = ConfigProblem(config);
    impl->config = std::move(config);
    m_impl = std::move(impl);
}

Client::~Client() = default;
Client::Client(const Client&) noexcept = default;
Client& Client::operator=(const Client&) noexcept = default;
Client::Client(Client&&) noexcept = default;
Client& Client::operator=(Client&&) noexcept = default;

const Config& Client::config() const noexcept {
    return m_impl->config;
}

} // namespace vanta
