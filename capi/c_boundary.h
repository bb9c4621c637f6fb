// What every function of the C interface shares: its error object, the turning of a
// vanta::Result into a vanta_result, and the guard that keeps exceptions inside.
#pragma once

#include "vanta/client.hpp"
#include "vanta/vanta.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <string_view>

struct vanta_error {
    vanta::Error error;
};

struct vanta_client {
    vanta::Client client;
};

// Whether the caller's struct, of type `type` and as long as its `size` says, reaches the end
// of `member`: a caller built against an older header knows fewer members.
#define CALLER_HAS(record, type, member)                                                           \
    ((record).size >= offsetof(type, member) + sizeof((record).member))

namespace vanta::capi {

// The category's number in vanta_result: one more than its place in ErrorCategory.
vanta_result ToResult(ErrorCategory category) noexcept;

// Gives the error's category and, when the caller asked, hands a copy of it over. A failure
// to allocate the copy still gives the category.
vanta_result Fail(Error error, vanta_error** out) noexcept;

// A failure of the arguments, before anything is sent.
vanta_result InvalidArgument(std::string_view reason, vanta_error** out) noexcept;

// Runs `body`, which gives a vanta_result; an exception (out of memory, above all) becomes
// VANTA_ERROR_INTERNAL with its text.
template <class Body>
vanta_result Guarded(vanta_error** out, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        return Fail({ErrorCategory::internal, 0, std::string("C interface: ") + e.what(), {}}, out);
    } catch (...) {
        return Fail({ErrorCategory::internal, 0, "C interface: unknown failure", {}}, out);
    }
}

// A NUL-terminated copy on the C heap; throws std::bad_alloc.
char* Duplicate(std::string_view text);

// A zeroed record of type T with its size set, on the C heap; throws std::bad_alloc.
template <class T>
T* NewRecord() {
    auto* record = static_cast<T*>(std::calloc(1, sizeof(T)));
    if (record == nullptr) {
        throw std::bad_alloc();
    }
    record->size = sizeof(T);
    return record;
}

// The caller's status callback as a status handler; empty for NULL. The information block
// goes as NULL when it is empty, as the header says.
inline StatusHandler ToStatusHandler(vanta_status_callback call, void* data) {
    if (call == nullptr) {
        return {};
    }
    return [call, data](const StatusNotification& notification) {
        const std::span<const std::byte> info = notification.info;
        call(static_cast<unsigned int>(notification.code), info.empty() ? nullptr : info.data(),
             info.size(), data);
    };
}

// The string a caller passed for an optional field: "" for NULL.
inline std::string_view Text(const char* text) noexcept {
    return text == nullptr ? std::string_view() : std::string_view(text);
}

} // namespace vanta::capi

namespace vanta::capi {

// Fails with invalid_argument, naming what was being done, when one of the required strings
// is NULL; VANTA_OK otherwise.
vanta_result RequireTexts(std::string_view doing, std::initializer_list<const void*> arguments,
                          vanta_error** error) noexcept;

// A result handed to the caller: on success `give(value)` makes what *out receives (nothing
// when `out` is NULL), else the error.
template <class T, class Out, class Give>
vanta_result Deliver(Result<T>&& result, Out** out, vanta_error** error, Give&& give) {
    if (!result) {
        return Fail(std::move(result).error(), error);
    }
    if (out != nullptr) {
        *out = give(*result);
    }
    return VANTA_OK;
}

inline vanta_result Deliver(Result<void>&& result, vanta_error** error) {
    return result ? VANTA_OK : Fail(std::move(result).error(), error);
}

} // namespace vanta::capi
