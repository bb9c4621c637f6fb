/// \file
/// Outcomes of vanta::Client's operations and jobs: Result, a value or an Error, and the
/// ErrorCategory that sorts the Errors.
#pragma once

#include "vanta/export.h"

#include <concepts>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

namespace vanta {

/// What kind of failure an Error is. Each outcome of an operation has one category.
enum class ErrorCategory {
    /// The host could not be reached, a wait ran out, the transfer or the reply broke off,
    /// or the service answered with an error page.
    network,
    unknown_user,           ///< the service knows no such user
    wrong_password,         ///< the password does not match the account
    product_not_registered, ///< the login is right but the product is not the account's
    not_found,              ///< no such asset, homepage, file or directory
    refused,                ///< the service declined the request (its FAIL or ERROR answer)
    no_space,               ///< the upload does not fit the user's disk quota
    local_file,             ///< a local file could not be opened, read or written
    unexpected_reply,       ///< the service's reply does not have the expected shape
    invalid_argument,       ///< the request was refused before anything was sent
    cancelled,              ///< the job was cancelled
    internal,               ///< the library itself failed (out of memory, no thread)
};

/// The category's name as written above, e.g. "wrong_password".
VANTA_API std::string_view to_string(ErrorCategory category) noexcept;

/// Why an operation failed.
struct Error {
    ErrorCategory category = ErrorCategory::internal; ///< what kind of failure it is
    /// The result code that the matching QDX_ export gives for the same outcome (0 when the
    /// failure has no export counterpart).
    unsigned int code = 0;
    /// What went wrong, for people: "<what it was doing>: <detail>".
    std::string reason;
    /// An upload that failed or was cancelled takes its asset back off the service. When that
    /// roll-back failed too, the number of the asset that stayed (the reason says what of it
    /// stayed); empty otherwise.
    std::string asset_number;
};

template <class T>
class Result;
template <>
class Result<void>;

/// @cond INTERNAL
namespace detail {
// Whether a type is a Result: what and_then and or_else must give.
template <class R>
inline constexpr bool is_result = false;
template <class T>
inline constexpr bool is_result<Result<T>> = true;

// The Result of calling `F` with `Args`, without its const and reference.
template <class F, class... Args>
using result_of = std::remove_cvref_t<std::invoke_result_t<F, Args...>>;
} // namespace detail
/// @endcond

/// A value or an Error. Reading value() of a Result that holds an Error (or error() of one
/// that holds a value) is a programming error and aborts the process: test first.
///
/// and_then, transform and or_else chain operations as those of std::expected do: the
/// function runs only on the side it is for, and the other side passes through unchanged
/// (moved when the Result is an rvalue).
///
///     auto quota_left = client.disk_space(user, product).transform(
///         [](const vanta::DiskSpace& d) { return d.quota - d.used; });
template <class T>
class [[nodiscard]] Result {
public:
    /// The type of the value.
    using value_type = T;

    /// A successful result holding `value`.
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    /// A failed result holding `error`.
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    /// True when the result holds a value.
    bool has_value() const noexcept { return m_state.index() == 0; }
    /// True when the result holds a value.
    explicit operator bool() const noexcept { return has_value(); }

    /// The value; the result must hold one.
    T& value() & noexcept { return *checked(std::get_if<0>(&m_state)); }
    /// The value; the result must hold one.
    const T& value() const& noexcept { return *checked(std::get_if<0>(&m_state)); }
    /// The value, moved out; the result must hold one.
    T&& value() && noexcept { return std::move(*checked(std::get_if<0>(&m_state))); }
    /// The value; the result must hold one.
    T& operator*() & noexcept { return value(); }
    /// The value; the result must hold one.
    const T& operator*() const& noexcept { return value(); }
    /// The value's members; the result must hold one.
    T* operator->() noexcept { return &value(); }
    /// The value's members; the result must hold one.
    const T* operator->() const noexcept { return &value(); }
    /// The value, or `fallback` when the result holds an error.
    template <class U>
    T value_or(U&& fallback) const& {
        return has_value() ? value() : static_cast<T>(std::forward<U>(fallback));
    }

    /// The error; the result must hold one.
    const Error& error() const& noexcept { return *checked(std::get_if<1>(&m_state)); }
    /// The error, moved out of the result; the result must hold one. A value rather than a
    /// reference, so that it outlives a temporary result.
    Error error() && noexcept { return std::move(*checked(std::get_if<1>(&m_state))); }

    /// `f(value())` when the result holds a value, else the error as the Result type that `f`
    /// gives (which must be a Result).
    template <class F>
    requires std::invocable<F, T&>
    auto and_then(F&& f) & { return chain(*this, std::forward<F>(f)); }
    /// The same, on a const result.
    template <class F>
    requires std::invocable<F, const T&>
    auto and_then(F&& f) const& { return chain(*this, std::forward<F>(f)); }
    /// The same, moving out of the result.
    template <class F>
    requires std::invocable<F, T&&>
    auto and_then(F&& f) && { return chain(std::move(*this), std::forward<F>(f)); }

    /// A Result holding `f(value())` when the result holds a value (a Result<void> when `f`
    /// gives nothing), else the error.
    template <class F>
    requires std::invocable<F, T&>
    auto transform(F&& f) & { return map(*this, std::forward<F>(f)); }
    /// The same, on a const result.
    template <class F>
    requires std::invocable<F, const T&>
    auto transform(F&& f) const& { return map(*this, std::forward<F>(f)); }
    /// The same, moving out of the result.
    template <class F>
    requires std::invocable<F, T&&>
    auto transform(F&& f) && { return map(std::move(*this), std::forward<F>(f)); }

    /// The result itself when it holds a value, else `f(error())`, which must give a
    /// Result<T>: a way to recover from some errors, or to replace one.
    template <class F>
    requires std::invocable<F, const Error&> Result or_else(F&& f)
    const& {
        static_assert(std::is_same_v<detail::result_of<F, const Error&>, Result>,
                      "or_else's function must give a Result of the same type");
        return has_value() ? *this : std::invoke(std::forward<F>(f), error());
    }
    /// The same, moving out of the result.
    template <class F>
    requires std::invocable<F, Error&&> Result or_else(F&& f) && {
        static_assert(std::is_same_v<detail::result_of<F, Error&&>, Result>,
                      "or_else's function must give a Result of the same type");
        if (has_value()) {
            return std::move(*this);
        }
        return std::invoke(std::forward<F>(f), std::move(*this).error());
    }

private:
    template <class Self, class F>
    static auto chain(Self&& self, F&& f) {
        using Next = detail::result_of<F, decltype(std::forward<Self>(self).value())>;
        static_assert(detail::is_result<Next>, "and_then's function must give a Result");
        if (!self.has_value()) {
            return Next(std::forward<Self>(self).error());
        }
        return std::invoke(std::forward<F>(f), std::forward<Self>(self).value());
    }
    template <class Self, class F>
    static auto map(Self&& self, F&& f) {
        using U =
            std::remove_cv_t<std::invoke_result_t<F, decltype(std::forward<Self>(self).value())>>;
        static_assert(!std::is_same_v<U, Error> && !std::is_reference_v<U>,
                      "transform's function must give a value other than an Error");
        if (!self.has_value()) {
            return Result<U>(std::forward<Self>(self).error());
        }
        if constexpr (std::is_void_v<U>) {
            std::invoke(std::forward<F>(f), std::forward<Self>(self).value());
            return Result<U>();
        } else {
            return Result<U>(std::invoke(std::forward<F>(f), std::forward<Self>(self).value()));
        }
    }
    template <class P>
    static P* checked(P* p) noexcept {
        if (p == nullptr) {
            std::abort();
        }
        return p;
    }
    std::variant<T, Error> m_state;
};

/// An operation that gives no value: success, or an Error. and_then, transform and or_else
/// work as on Result<T>, with functions that take no value.
template <>
class [[nodiscard]] Result<void> {
public:
    /// The type of the value: none.
    using value_type = void;

    /// Success.
    Result() = default;
    /// A failed result holding `error`.
    Result(Error error) : m_error(std::move(error)) {}

    /// True on success.
    bool has_value() const noexcept { return !m_error.has_value(); }
    /// True on success.
    explicit operator bool() const noexcept { return has_value(); }
    /// The error; the result must hold one.
    const Error& error() const& noexcept { return *checked(); }
    /// The error, moved out of the result; the result must hold one. A value rather than a
    /// reference, so that it outlives a temporary result.
    Error error() && noexcept { return std::move(*checked()); }

    /// `f()` on success, else the error as the Result type that `f` gives (which must be a
    /// Result).
    template <class F>
    requires std::invocable<F>
    auto and_then(F&& f) const& {
        using Next = detail::result_of<F>;
        static_assert(detail::is_result<Next>, "and_then's function must give a Result");
        return has_value() ? std::invoke(std::forward<F>(f)) : Next(error());
    }
    /// The same, moving out of the result.
    template <class F>
    requires std::invocable<F>
    auto and_then(F&& f) && {
        using Next = detail::result_of<F>;
        static_assert(detail::is_result<Next>, "and_then's function must give a Result");
        return has_value() ? std::invoke(std::forward<F>(f)) : Next(std::move(*this).error());
    }

    /// A Result holding `f()` on success (a Result<void> when `f` gives nothing), else the
    /// error.
    template <class F>
    requires std::invocable<F>
    auto transform(F&& f) const& { return map(*this, std::forward<F>(f)); }
    /// The same, moving out of the result.
    template <class F>
    requires std::invocable<F>
    auto transform(F&& f) && { return map(std::move(*this), std::forward<F>(f)); }

    /// Success as it is, else `f(error())`, which must give a Result<void>: a way to recover
    /// from some errors, or to replace one.
    template <class F>
    requires std::invocable<F, const Error&> Result or_else(F&& f)
    const& {
        static_assert(std::is_same_v<detail::result_of<F, const Error&>, Result>,
                      "or_else's function must give a Result<void>");
        return has_value() ? Result() : std::invoke(std::forward<F>(f), error());
    }
    /// The same, moving out of the result.
    template <class F>
    requires std::invocable<F, Error&&> Result or_else(F&& f) && {
        static_assert(std::is_same_v<detail::result_of<F, Error&&>, Result>,
                      "or_else's function must give a Result<void>");
        return has_value() ? Result() : std::invoke(std::forward<F>(f), std::move(*this).error());
    }

private:
    template <class Self, class F>
    static auto map(Self&& self, F&& f) {
        using U = std::remove_cv_t<std::invoke_result_t<F>>;
        static_assert(!std::is_same_v<U, Error> && !std::is_reference_v<U>,
                      "transform's function must give a value other than an Error");
        if (!self.has_value()) {
            return Result<U>(std::forward<Self>(self).error());
        }
        if constexpr (std::is_void_v<U>) {
            std::invoke(std::forward<F>(f));
            return Result<U>();
        } else {
            return Result<U>(std::invoke(std::forward<F>(f)));
        }
    }
    const Error* checked() const noexcept {
        if (!m_error) {
            std::abort();
        }
        return &*m_error;
    }
    Error* checked() noexcept {
        if (!m_error) {
            std::abort();
        }
        return &*m_error;
    }
    std::optional<Error> m_error;
};

} // namespace vanta
