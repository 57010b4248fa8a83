#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace tidecast
{

// Why a core operation failed. The code is for programs (tests, exit statuses); the detail is the
// description a person reads after the procedure's own tag.
enum class ErrorCode
{
    FileNotFound,
    FileRead,
    FileWrite,
    NotADatabase,
    Database,
    InvalidArgument,
    Network,
    Timeout,
    Protocol,
    Tls,
    Authentication,
    Cancelled,
    Encoding,
};

struct Error
{
    ErrorCode code;
    std::string detail;
    int number = 0; // the numeric code shown after " - " in error messages, when there is one
};

// A value or the reason there is none. Small on purpose: the project only needs value(), error()
// and the bool test.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_data(std::in_place_index<0>, std::move(value))
    {}
    Result(Error error)
        : m_data(std::in_place_index<1>, std::move(error))
    {}

    explicit operator bool() const { return m_data.index() == 0; }
    bool hasValue() const { return m_data.index() == 0; }

    T& value() &
    {
        assert(hasValue());
        return std::get<0>(m_data);
    }
    const T& value() const&
    {
        assert(hasValue());
        return std::get<0>(m_data);
    }
    T&& value() &&
    {
        assert(hasValue());
        return std::get<0>(std::move(m_data));
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Error& error() const
    {
        assert(!hasValue());
        return std::get<1>(m_data);
    }

private:
    std::variant<T, Error> m_data;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error)
        : m_error(std::move(error))
        , m_failed(true)
    {}

    explicit operator bool() const { return !m_failed; }
    bool hasValue() const { return !m_failed; }
    const Error& error() const
    {
        assert(m_failed);
        return m_error;
    }

private:
    Error m_error{ErrorCode::InvalidArgument, {}};
    bool m_failed = false;
};

} // namespace tidecast
