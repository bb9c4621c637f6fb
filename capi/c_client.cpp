// The configuration and the client of the C interface. The caller's vanta_config says how
// much of it the caller knows (its size): members beyond that keep their defaults.
#include "capi/c_boundary.h"

#include <chrono>

namespace {

using vanta::capi::Text;

vanta::Config ToConfig(const vanta_config& c) {
    vanta::Config config;
    if (CALLER_HAS(c, vanta_config, host) && !Text(c.host).empty()) {
        config.host = c.host;
    }
    if (CALLER_HAS(c, vanta_config, http_port)) {
        config.http_port = c.http_port;
    }
    if (CALLER_HAS(c, vanta_config, ftp_port)) {
        config.ftp_port = c.ftp_port;
    }
    if (CALLER_HAS(c, vanta_config, ftp_timeout_ms)) {
        config.ftp_timeout = std::chrono::milliseconds(c.ftp_timeout_ms);
    }
    if (CALLER_HAS(c, vanta_config, http_timeout_ms)) {
        config.http_timeout = std::chrono::milliseconds(c.http_timeout_ms);
    }
    if (CALLER_HAS(c, vanta_config, tls)) {
        config.tls = c.tls;
    }
    if (CALLER_HAS(c, vanta_config, ca_file)) {
        config.ca_file = Text(c.ca_file);
    }
    if (CALLER_HAS(c, vanta_config, https_port)) {
        config.https_port = c.https_port;
    }
    if (CALLER_HAS(c, vanta_config, login_name)) {
        config.login_name = Text(c.login_name);
    }
    if (CALLER_HAS(c, vanta_config, login_password)) {
        config.login_password = Text(c.login_password);
    }
    if (CALLER_HAS(c, vanta_config, update_key)) {
        config.update_key = Text(c.update_key);
    }
    if (CALLER_HAS(c, vanta_config, retries)) {
        config.retry.retries = c.retries;
    }
    if (CALLER_HAS(c, vanta_config, retry_budget_ms)) {
        config.retry.budget = std::chrono::milliseconds(c.retry_budget_ms);
    }
    if (CALLER_HAS(c, vanta_config, initial_backoff_ms)) {
        config.retry.initial_backoff = std::chrono::milliseconds(c.initial_backoff_ms);
    }
    if (CALLER_HAS(c, vanta_config, max_backoff_ms)) {
        config.retry.max_backoff = std::chrono::milliseconds(c.max_backoff_ms);
    }
    if (CALLER_HAS(c, vanta_config, jitter)) {
        config.retry.jitter = c.jitter;
    }
    if (CALLER_HAS(c, vanta_config, status_user_data)) {
        config.on_status = vanta::capi::ToStatusHandler(c.on_status, c.status_user_data);
    }
    if (CALLER_HAS(c, vanta_config, parallel_transfers)) {
        config.parallel_transfers = c.parallel_transfers;
    }
    return config;
}

vanta_result Make(vanta::Config config, vanta_client** client, vanta_error** error) {
    if (client == nullptr) {
        return vanta::capi::InvalidArgument("making a client: no place for it", error);
    }
    if (!config.problems.empty()) {
        return vanta::capi::InvalidArgument("making a client: " + config.problems, error);
    }
    if (const std::string problem = vanta::host_problem(config.host); !problem.empty()) {
        return vanta::capi::InvalidArgument("making a client: " + problem, error);
    }
    *client = new vanta_client{vanta::Client(std::move(config))};
    return VANTA_OK;
}

} // namespace

extern "C" {

void vanta_config_init(vanta_config* config, size_t size) {
    if (config == nullptr || size < sizeof config->size) {
        return;
    }
    vanta_config all{};
    // The defaults of a Config built in code: not those of the environment, which only
    // vanta_client_new_from_environment reads.
    const vanta::Config d;
    all.size = size < sizeof all ? size : sizeof all;
    all.host = vanta::defaults::host;
    all.http_port = d.http_port;
    all.ftp_port = d.ftp_port;
    all.ftp_timeout_ms = d.ftp_timeout.count();
    all.http_timeout_ms = d.http_timeout.count();
    all.tls = d.tls;
    all.https_port = d.https_port;
    all.retries = d.retry.retries;
    all.retry_budget_ms = d.retry.budget.count();
    all.initial_backoff_ms = d.retry.initial_backoff.count();
    all.max_backoff_ms = d.retry.max_backoff.count();
    all.jitter = d.retry.jitter;
    all.parallel_transfers = d.parallel_transfers;
    std::memcpy(config, &all, all.size);
}

vanta_result vanta_client_new(const vanta_config* config, vanta_client** client,
                              vanta_error** error) {
    return vanta::capi::Guarded(error, [&] {
        return Make(config == nullptr ? vanta::Config() : ToConfig(*config), client, error);
    });
}

vanta_result vanta_client_new_from_environment(vanta_client** client, vanta_error** error) {
    return vanta::capi::Guarded(
        error, [&] { return Make(vanta::Config::from_environment(), client, error); });
}

void vanta_client_free(vanta_client* client) {
    delete client;
}

} // extern "C"
