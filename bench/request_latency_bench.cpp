// One request through the library (fresh session, connection and request every call, as the
// library does) against a bare libcurl POST with a fresh easy handle, both to the same fast
// local server, interleaved call by call so that both see the same machine. Prints the
// median and 90th percentile of each and the ratio of the medians. Also one operation, the
// version check, through its export and through vanta::Client, whose medians should be all
// but equal: the client adds only its configuration scope and the typed result; and the same
// check through the C interface (vanta.h) beside vanta::Client, which adds only the copy into
// a C record, in rounds that alternate which of the two goes first.
//
// Usage: request_latency_bench [CALLS [URL CA_FILE]]
//   (a server must answer POSTs on localhost:80). Over HTTPS the bare libcurl POST goes to URL,
//   trusting CA_FILE, while the library is pointed at the same server by its own settings
//   (VANTA_TLS, VANTA_CA_FILE, VANTA_SERVER in the environment).
#include <vanta/client.hpp>
#include <vanta/vanta.h>
#include <vantaapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kProgram = "/cgiscripts/get_version.exe";
constexpr const char* kBody = "user_id=someone&PW=secret&product_id=12\n";
const char* g_url = "http://localhost:80/cgiscripts/get_version.exe";
const char* g_caFile = nullptr;

size_t Discard(char* data, size_t size, size_t count, void* sink) {
    static_cast<std::string*>(sink)->append(data, size * count);
    return size * count;
}

bool BareCurlPost() {
    CURL* easy = curl_easy_init();
    std::string reply;
    curl_slist* headers =
        curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
    headers = curl_slist_append(headers, "Accept:");
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(easy, CURLOPT_URL, g_url);
    if (g_caFile != nullptr) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, g_caFile);
    }
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, kBody);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_USERPWD, "mossbay:mossbay");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, 2000L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Discard);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply);
    const CURLcode code = curl_easy_perform(easy);
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
    return code == CURLE_OK;
}

bool LibraryPost() {
    CString reply;
    return QDX_SendHTTPRequest("user_id=someone&PW=secret&product_id=12", kProgram, reply,
                               nullptr) == 1;
}

bool ExportVersionCheck() {
    CString version;
    return QDX_GetServerVersion(version, nullptr) == 1;
}

bool ClientVersionCheck() {
    // Pointed at the server the exports use, by the same settings.
    static const vanta::Client client(vanta::Config::from_environment());
    const vanta::Result<vanta::VersionCheck> check = client.check_version();
    return check.has_value() && check->up_to_date;
}

// Made in main from the same settings as the client above.
vanta_client* g_cClient = nullptr;

bool CVersionCheck() {
    vanta_version_check* check = nullptr;
    if (vanta_check_version(g_cClient, &check, nullptr) != VANTA_OK) {
        return false;
    }
    const bool upToDate = check->up_to_date;
    vanta_version_check_free(check);
    return upToDate;
}

double Percentile(std::vector<double> samples, double share) {
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<size_t>(share * static_cast<double>(samples.size() - 1))];
}

template <typename Call>
double TimeMicros(Call call, bool& ok) {
    const auto start = Clock::now();
    ok = call() && ok;
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The version check through vanta.h beside vanta::Client: `rounds` rounds of calls/rounds
// pairs, the order within a pair alternating, so that neither always runs on the cache the
// other warmed. Prints the medians over all calls and the median of the rounds' ratios.
bool CompareCInterface(int calls) {
    if (vanta_client_new_from_environment(&g_cClient, nullptr) != VANTA_OK) {
        std::fprintf(stderr, "request_latency_bench: no C client\n");
        return false;
    }
    for (int i = 0; i < 100; ++i) { // warm-up
        CVersionCheck();
    }
    constexpr int rounds = 9;
    bool ok = true;
    std::vector<double> cAll;
    std::vector<double> clientAll;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> c;
        std::vector<double> client;
        for (int i = 0; i < calls / rounds; ++i) {
            if ((i + round) % 2 == 0) {
                c.push_back(TimeMicros(CVersionCheck, ok));
                client.push_back(TimeMicros(ClientVersionCheck, ok));
            } else {
                client.push_back(TimeMicros(ClientVersionCheck, ok));
                c.push_back(TimeMicros(CVersionCheck, ok));
            }
        }
        ratios.push_back(Percentile(c, 0.5) / Percentile(client, 0.5));
        cAll.insert(cAll.end(), c.begin(), c.end());
        clientAll.insert(clientAll.end(), client.begin(), client.end());
    }
    vanta_client_free(g_cClient);
    if (!ok) {
        std::fprintf(stderr, "request_latency_bench: a request failed\n");
        return false;
    }
    const double cP50 = Percentile(cAll, 0.5);
    const double clientP50 = Percentile(clientAll, 0.5);
    std::printf("version check, C interface beside the client, %d rounds of %d calls each "
                "(microseconds)\n",
                rounds, calls / rounds);
    std::printf("  C vanta_check_version        p50 %8.1f  p90 %8.1f\n", cP50,
                Percentile(cAll, 0.9));
    std::printf("  vanta::Client::check_version p50 %8.1f  p90 %8.1f\n", clientP50,
                Percentile(clientAll, 0.9));
    // The rounds' median ratio is the figure: a burst of load elsewhere moves one round only.
    std::printf("  ratio of medians (C / client), median of the rounds: %.3f   target <= 1.02"
                "   (over all calls: %.3f)\n",
                Percentile(ratios, 0.5), cP50 / clientP50);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 3000;
    if (argc > 3) {
        g_url = argv[2];
        g_caFile = argv[3];
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    bool ok = true;
    for (int i = 0; i < 100; ++i) { // warm-up
        LibraryPost();
        BareCurlPost();
        ExportVersionCheck();
        ClientVersionCheck();
    }
    std::vector<double> library;
    std::vector<double> bare;
    std::vector<double> exported;
    std::vector<double> client;
    for (int i = 0; i < calls; ++i) {
        library.push_back(TimeMicros(LibraryPost, ok));
        bare.push_back(TimeMicros(BareCurlPost, ok));
        exported.push_back(TimeMicros(ExportVersionCheck, ok));
        client.push_back(TimeMicros(ClientVersionCheck, ok));
    }
    if (!ok) {
        std::fprintf(stderr, "request_latency_bench: a request failed\n");
        return 1;
    }
    const double libraryP50 = Percentile(library, 0.5);
    const double bareP50 = Percentile(bare, 0.5);
    std::printf("request latency over %d calls each (microseconds)\n", calls);
    std::printf("  library  p50 %8.1f  p90 %8.1f\n", libraryP50, Percentile(library, 0.9));
    std::printf("  libcurl  p50 %8.1f  p90 %8.1f\n", bareP50, Percentile(bare, 0.9));
    std::printf("  ratio of medians (library / bare libcurl): %.2f   target <= 1.20\n",
                libraryP50 / bareP50);
    const double exportP50 = Percentile(exported, 0.5);
    const double clientP50 = Percentile(client, 0.5);
    std::printf("version check over %d calls each (microseconds)\n", calls);
    std::printf("  export QDX_GetServerVersion  p50 %8.1f  p90 %8.1f\n", exportP50,
                Percentile(exported, 0.9));
    std::printf("  vanta::Client::check_version p50 %8.1f  p90 %8.1f\n", clientP50,
                Percentile(client, 0.9));
    std::printf("  ratio of medians (client / export): %.2f   target <= 1.05\n",
                clientP50 / exportP50);
    ok = CompareCInterface(calls) && ok;
    curl_global_cleanup();
    return ok ? 0 : 1;
}
