#include "control_client.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <stdexcept>
#include <strings.h>

#include "base64.h"

namespace vanta::test {

namespace {

constexpr const char* kControlBase = "http://127.0.0.1:80/_control/";
constexpr long kTimeoutMs = 15000;

size_t AppendBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::string ValueText(const nlohmann::json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

} // namespace

std::optional<std::string> LoggedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

namespace control {

nlohmann::json Call(const std::string& method, const std::string& path,
                    const nlohmann::json& body) {
    static std::once_flag curlInit;
    std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        throw std::runtime_error("control: curl_easy_init failed");
    const std::string url = kControlBase + path;
    const std::string payload = body.is_null() ? std::string() : body.dump();
    std::string reply;

    std::unique_ptr<curl_slist, SlistDeleter> headers(
        curl_slist_append(nullptr, "Content-Type: application/json"));
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    // The service is always local: no proxy from the environment may come between.
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, kTimeoutMs);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply);
    if (method == "POST") {
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, payload.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(payload.size()));
    }

    const CURLcode rc = curl_easy_perform(curl.get());
    if (rc != CURLE_OK) {
        throw std::runtime_error("control: " + method + " " + url + ": " + curl_easy_strerror(rc));
    }
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        throw std::runtime_error("control: " + method + " " + url + " answered " +
                                 std::to_string(status) + ": " + reply);
    }
    return reply.empty() ? nlohmann::json() : nlohmann::json::parse(reply);
}

void Reset(bool data) {
    Call("POST", "reset", {{"data", data}});
}

void Script(const ReplyScript& script) {
    nlohmann::json body = {
        {"path", script.path},       {"body_b64", Base64Encode(script.body)},
        {"headers", script.headers}, {"delay_ms", script.delay_ms},
        {"times", script.times},
    };
    if (script.status)
        body["status"] = *script.status;
    if (script.redirect)
        body["redirect"] = *script.redirect;
    if (script.stall_after)
        body["stall_after"] = *script.stall_after;
    if (script.stall_ms > 0)
        body["stall_ms"] = script.stall_ms;
    if (script.close_after)
        body["close_after"] = *script.close_after;
    if (script.trickle_ms != 0)
        body["trickle_ms"] = script.trickle_ms;
    if (script.endless)
        body["endless"] = true;
    Call("POST", "script", body);
}

std::vector<LoggedRequest> RequestLog() {
    const nlohmann::json log = Call("GET", "log");
    std::vector<LoggedRequest> requests;
    for (const auto& entry : log.at("requests")) {
        LoggedRequest request;
        request.method = entry.at("method").get<std::string>();
        request.path = entry.at("path").get<std::string>();
        for (const auto& header : entry.at("headers"))
            request.headers.emplace_back(header.at(0).get<std::string>(),
                                         header.at(1).get<std::string>());
        request.body = Base64Decode(entry.value("body_b64", std::string()));
        requests.push_back(std::move(request));
    }
    return requests;
}

std::vector<LoggedRequest> RequestsTo(const std::string& path) {
    std::vector<LoggedRequest> all = RequestLog();
    std::erase_if(
        all, [&](const LoggedRequest& r) { return r.path.substr(0, r.path.find('?')) != path; });
    return all;
}

void SetQuota(const std::string& user, uint64_t quota) {
    Call("POST", "quota", {{"user", user}, {"quota", quota}});
}

void FtpFaults(const nlohmann::json& faults) {
    Call("POST", "ftp", faults);
}

FtpSessionLog FtpLog() {
    const nlohmann::json log = Call("GET", "ftp/log");
    FtpSessionLog result;
    for (const auto& entry : log.at("commands"))
        result.commands.emplace_back(ValueText(entry.at(0)), ValueText(entry.at(1)));
    result.logins = log.value("logins", 0);
    result.sessions_open = log.value("sessions_open", 0);
    result.sessions_total = log.value("sessions_total", 0);
    return result;
}

} // namespace control

} // namespace vanta::test
