// One upload through a vanta::Client job handle, for the throughput driver
// (bench/run.d/client_upload_throughput): the client's configuration from the environment,
// the outcome waited for, exit status 0 only when the asset was uploaded.
//
// Usage: client_upload USER PRODUCT FILE...
#include <vanta/client.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: client_upload USER PRODUCT FILE...\n");
        return 2;
    }
    vanta::UploadRequest request;
    request.user_id = argv[1];
    request.product = static_cast<unsigned int>(std::strtoul(argv[2], nullptr, 10));
    request.name = "bench";
    for (int i = 3; i < argc; ++i) {
        request.files.emplace_back(argv[i]);
    }
    const vanta::Client client(vanta::Config::from_environment());
    vanta::UploadJob job = client.upload(std::move(request));
    const vanta::Result<vanta::UploadOutcome> outcome = job.outcome();
    if (!outcome) {
        std::fprintf(stderr, "client_upload: %s\n", outcome.error().reason.c_str());
        return 1;
    }
    std::printf("%s\n", outcome->asset_number.c_str());
    return 0;
}
