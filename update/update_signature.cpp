#include "update/update_signature.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A PEM public key is a few hundred bytes; a larger "key file" is not one.
constexpr off_t kMaxKeyFileSize = 64 * 1024;

struct Closer {
    void operator()(const int* fd) const {
        ::close(*fd);
        delete fd;
    }
};
using OpenFile = std::unique_ptr<int, Closer>;
using PublicKey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using VerifyContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

// Opens `path` for reading without blocking (a FIFO must not hold the caller) and proves it a
// regular file; null with `problem` set otherwise.
OpenFile OpenRegular(const std::string& path, struct stat& info, std::string& problem) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        problem = path + " cannot be read: " + std::strerror(errno);
        return nullptr;
    }
    OpenFile file(new int(fd));
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = path + " is not a regular file";
        return nullptr;
    }
    return file;
}

// The whole of a small file; false with `problem` set when it is not one of at most `limit`
// bytes.
bool ReadSmallFile(const std::string& path, off_t limit, std::string& bytes, std::string& problem) {
    struct stat info {};
    const OpenFile file = OpenRegular(path, info, problem);
    if (!file) {
        return false;
    }
    if (info.st_size > limit) {
        problem = path + " is too large (" + std::to_string(info.st_size) + " bytes)";
        return false;
    }
    // One byte more than the size, to notice a file that grew since it was measured.
    bytes.resize(static_cast<size_t>(info.st_size) + 1);
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(*file, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            problem = path + " cannot be read: " + std::strerror(errno);
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    if (got > static_cast<size_t>(limit)) {
        problem = path + " is too large";
        return false;
    }
    bytes.resize(got);
    return true;
}

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
    std::string problem;
    struct stat info {};
    const OpenFile file = OpenRegular(path, info, problem);
    if (!file) {
        return problem;
    }
    const size_t size = static_cast<size_t>(info.st_size);
    void* mapped = nullptr;
    if (size > 0) {
        mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, *file, 0);
        if (mapped == MAP_FAILED) {
            return path + " cannot be read: " + std::strerror(errno);
        }
    }
    const VerifyContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    static const unsigned char kEmpty = 0;
    const bool valid =
        context && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key) == 1 &&
        EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                         signature.size(),
                         size > 0 ? static_cast<const unsigned char*>(mapped) : &kEmpty, size) == 1;
    if (mapped != nullptr) {
        ::munmap(mapped, size);
    }
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
