// The check of a self-update download: a detached Ed25519 signature, published by the service
// beside the library file as its 64 raw bytes, against a public key the application trusts.
#pragma once

#include <cstddef>
#include <string>

// The size of a detached signature file: an Ed25519 signature as it stands, no encoding.
inline constexpr std::size_t kUpdateSignatureSize = 64;

// "" when `keyFile` is a readable PEM file holding an Ed25519 public key; else why not.
std::string UpdateKeyProblem(const std::string& keyFile);

// "" when `signatureFile` holds a valid signature of the whole of `file` by the key in
// `keyFile`; else why not. Reads the files only; never throws.
std::string SignatureProblem(const std::string& keyFile, const std::string& file,
                             const std::string& signatureFile) noexcept;
