#include "net/service_url.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"

#include <curl/curl.h>

std::string ServiceUrl(const char* scheme, const std::string& server, unsigned short port,
                       const std::string& path, bool encodePath) {
    CURLU* url = curl_url();
    if (url == nullptr) {
        throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR, CURLE_OUT_OF_MEMORY);
    }
    const std::string portText = std::to_string(port);
    char* text = nullptr;
    const bool built = curl_url_set(url, CURLUPART_SCHEME, scheme, 0) == CURLUE_OK &&
                       curl_url_set(url, CURLUPART_HOST, server.c_str(), 0) == CURLUE_OK &&
                       curl_url_set(url, CURLUPART_PORT, portText.c_str(), 0) == CURLUE_OK &&
                       curl_url_set(url, CURLUPART_PATH, path.c_str(),
                                    encodePath ? CURLU_URLENCODE : 0) == CURLUE_OK &&
                       curl_url_get(url, CURLUPART_URL, &text, 0) == CURLUE_OK;
    std::string result = built ? text : "";
    curl_free(text);
    curl_url_cleanup(url);
    if (!built) {
        throw CInternetException(ERROR_INTERNET_INVALID_URL, CURLE_URL_MALFORMAT);
    }
    return result;
}
