// Whether a file holds a key that a self-update download can be checked against.
#pragma once

#include <string>

// True when `keyFile` is a readable PEM file holding an Ed25519 public key; false with the
// thread's failure reason saying why not ("the update key ...").
bool UpdateKeyUsable(const std::string& keyFile);
