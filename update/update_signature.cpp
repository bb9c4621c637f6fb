#include "update/update_signature.h"

#include "os/whole_file.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdint>
#include <memory>

namespace {
// A PEM public key is a few hundred bytes; a larger "key file" is not one.
constexpr std::uint64_t kMaxKeyFileSize = 64 * 1024;

using PublicKey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using VerifyContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

PublicKey LoadKey(const std::string& keyFile, std::string& problem) {
    std::string pem;
    if (!ReadSmallFile(keyFile, kMaxKeyFileSize, pem, problem)) {
        return {nullptr, &EVP_PKEY_free};
    }
    const std::unique_ptr<BIO, decltype(&BIO_free)> input(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
    PublicKey key(input ? PEM_read_bio_PUBKEY(input.get(), nullptr, nullptr, nullptr) : nullptr,
                  &EVP_PKEY_free);
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) {
        problem = keyFile + " holds no Ed25519 public key (PEM)";
        key.reset();
    }
    return key;
}

// Ed25519 signs the message as a whole (no streaming), so the file is mapped, not copied.
std::string VerifyFile(EVP_PKEY* key, const std::string& path, const std::string& signature) {
    const MappedFile file(path);
    if (!file.Problem().empty()) {
        return file.Problem();
    }
    const VerifyContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    static const unsigned char kEmpty = 0;
    const bool valid =
        context && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key) == 1 &&
        EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                         signature.size(), file.Size() > 0 ? file.Data() : &kEmpty,
                         file.Size()) == 1;
    return valid ? "" : "its signature does not match the update key";
}
} // namespace

std::string UpdateKeyProblem(const std::string& keyFile) {
    std::string problem;
    LoadKey(keyFile, problem);
    // OpenSSL keeps its errors per thread; a later TLS failure must not report these.
    ERR_clear_error();
    return problem;
}

std::string SignatureProblem(const std::string& keyFile, const std::string& file,
                             const std::string& signatureFile) noexcept {
    try {
        std::string problem;
        const PublicKey key = LoadKey(keyFile, problem);
        std::string signature;
        if (key && ReadSmallFile(signatureFile, kMaxKeyFileSize, signature, problem) &&
            signature.size() != kUpdateSignatureSize) {
            problem = "its signature is not " + std::to_string(kUpdateSignatureSize) + " bytes";
        }
        if (problem.empty()) {
            problem = VerifyFile(key.get(), file, signature);
        }
        ERR_clear_error();
        return problem;
    } catch (...) {
        ERR_clear_error();
        return "out of memory while checking its signature";
    }
}
