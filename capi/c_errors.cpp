// The error object of the C interface and the names of its results.
#include "capi/c_boundary.h"

#include <array>

namespace vanta::capi {

vanta_result ToResult(ErrorCategory category) noexcept {
    return static_cast<vanta_result>(static_cast<int>(category) + 1);
}

vanta_result Fail(Error error, vanta_error** out) noexcept {
    const vanta_result result = ToResult(error.category);
    if (out != nullptr) {
        *out = new (std::nothrow) vanta_error{};
        if (*out != nullptr) {
            (*out)->error = std::move(error);
        }
    }
    return result;
}

vanta_result InvalidArgument(std::string_view reason, vanta_error** out) noexcept {
    try {
        return Fail({ErrorCategory::invalid_argument, 0, std::string(reason), {}}, out);
    } catch (...) {
        return Fail({ErrorCategory::invalid_argument, 0, {}, {}}, out);
    }
}

char* Duplicate(std::string_view text) {
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr) {
        throw std::bad_alloc();
    }
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

} // namespace vanta::capi

extern "C" {

const char* vanta_result_name(vanta_result result) {
    if (result == VANTA_OK) {
        return "ok";
    }
    if (result < VANTA_ERROR_NETWORK || result > VANTA_ERROR_INTERNAL) {
        return "unknown";
    }
    // The categories' names are views of static strings, NUL-terminated.
    return vanta::to_string(static_cast<vanta::ErrorCategory>(result - 1)).data();
}

vanta_result vanta_error_category(const vanta_error* error) {
    return error == nullptr ? VANTA_ERROR_INTERNAL : vanta::capi::ToResult(error->error.category);
}

unsigned int vanta_error_code(const vanta_error* error) {
    return error == nullptr ? 0 : error->error.code;
}

const char* vanta_error_reason(const vanta_error* error) {
    return error == nullptr ? "" : error->error.reason.c_str();
}

const char* vanta_error_asset_number(const vanta_error* error) {
    return error == nullptr ? "" : error->error.asset_number.c_str();
}

void vanta_error_free(vanta_error* error) {
    delete error;
}

void vanta_string_free(char* text) {
    std::free(text);
}

} // extern "C"

namespace vanta::capi {

vanta_result RequireTexts(std::string_view doing, std::initializer_list<const void*> arguments,
                          vanta_error** error) noexcept {
    for (const void* argument : arguments) {
        if (argument == nullptr) {
            try {
                return InvalidArgument(std::string(doing) + ": a required argument is NULL", error);
            } catch (...) {
                return InvalidArgument({}, error);
            }
        }
    }
    return VANTA_OK;
}

} // namespace vanta::capi
