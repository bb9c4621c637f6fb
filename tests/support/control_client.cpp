#include "control_client.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <strings.h>

namespace vanta::test {

namespace {
// OpenSSL's base64 works on unsigned bytes.
unsigned char* Bytes(std::string& text) {
    return reinterpret_cast<unsigned char*>(text.data());
}
const unsigned char* Bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

// The service sends the logged bodies in base64, which it always pads.
std::string Base64Decode(const std::string& text) {
    std::string bytes(text.size() / 4 * 3, '\0');
    const int length = EVP_DecodeBlock(Bytes(bytes), Bytes(text), static_cast<int>(text.size()));
    if (length < 0 || text.size() % 4 != 0) {
        throw std::runtime_error("control: a logged body is not base64: " + text.substr(0, 40));
    }
    // The decoder counts the padding as zero bytes.
    bytes.resize(size_t(length) - size_t(std::ranges::count(text, '=')));
    return bytes;
}
} // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
    text.resize(size_t(EVP_EncodeBlock(Bytes(text), Bytes(bytes), static_cast<int>(bytes.size()))));
    return text;
}

std::optional<std::string> LoggedRequest::Header(const std::string& name) const {
    const auto found = std::ranges::find_if(headers, [&](const auto& header) {
        return strcasecmp(header.first.c_str(), name.c_str()) == 0;
    });
    return found == headers.end() ? std::nullopt : std::optional(found->second);
}

namespace control {

namespace {
std::mutex g_tokenMutex;
std::string g_token;
} // namespace

void SetToken(std::string token) {
    const std::lock_guard lock(g_tokenMutex);
    g_token = std::move(token);
}

nlohmann::json Call(const std::string& method, const std::string& path,
                    const nlohmann::json& body) {
    return CallUrl(method, "http://127.0.0.1:80/_control/" + path, body);
}

nlohmann::json CallUrl(const std::string& method, const std::string& url,
                       const nlohmann::json& body, int timeoutMs) {
    static std::once_flag curlInit;
    std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   &curl_easy_cleanup);
    const std::string payload = body.is_null() ? std::string() : body.dump();
    std::string reply;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    // The service is always local: no proxy from the environment may come between.
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(
        handle, CURLOPT_WRITEFUNCTION, +[](char* data, size_t, size_t n, void* to) {
            static_cast<std::string*>(to)->append(data, n);
            return n;
        });
    std::string tokenHeader;
    {
        const std::lock_guard lock(g_tokenMutex);
        tokenHeader = "X-Control-Token: " + g_token;
    }
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, tokenHeader.c_str()), &curl_slist_free_all);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    if (method == "POST") { // the service reads the body as JSON whatever its type
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, payload.c_str());
    }
    const CURLcode rc = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (rc != CURLE_OK || status < 200 || status > 299) {
        throw std::runtime_error("control: " + method + " " + url + ": " + curl_easy_strerror(rc) +
                                 ", status " + std::to_string(status) + ": " + reply);
    }
    return reply.empty() ? nlohmann::json() : nlohmann::json::parse(reply);
}

void Reset(bool data) {
    Call("POST", "reset", {{"data", data}});
}

void Script(const ReplyScript& script) {
    nlohmann::json body = {{"path", script.path},         {"body_b64", Base64Encode(script.body)},
                           {"delay_ms", script.delay_ms}, {"stall_ms", script.stall_ms},
                           {"endless", script.endless},   {"trickle_ms", script.trickle_ms}};
    // The service takes an absent key for "unset"; null would be a value.
    const auto put = [&](const char* key, const auto& value) {
        if (value) {
            body[key] = *value;
        }
    };
    put("status", script.status);
    put("redirect", script.redirect);
    put("stall_after", script.stall_after);
    put("close_after", script.close_after);
    Call("POST", "script", body);
}

std::vector<LoggedRequest> RequestLog() {
    std::vector<LoggedRequest> requests;
    const nlohmann::json log = Call("GET", "log");
    for (const auto& entry : log.at("requests")) {
        requests.push_back({entry.at("method"), entry.at("path"), entry.at("headers"),
                            Base64Decode(entry.value("body_b64", std::string()))});
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
    FtpSessionLog result{
        {}, log.value("logins", 0), log.value("sessions_open", 0), log.value("sessions_total", 0)};
    // The session id arrives as a number ("?" before the service gave one), the command as text.
    for (const auto& [id, command] :
         log.at("commands").get<std::vector<std::pair<nlohmann::json, std::string>>>()) {
        result.commands.emplace_back(id.is_string() ? id.get<std::string>() : id.dump(), command);
    }
    return result;
}

} // namespace control

} // namespace vanta::test
