#pragma once

#include <QString>

#include <utility>
#include <variant>

// Why an operation failed, already worded for the user (Japanese).
struct Failure {
    QString description;
    // The program reset the session that carried the transfer (after wake, network return or
    // a watchdog) and starts again itself: nothing went wrong that the user needs to know.
    bool sessionReset = false;
};

// A value or the failure that prevented it.
template <typename T>
class Expected {
public:
    Expected(T value)
        : m_data(std::move(value))
    {}
    Expected(Failure failure)
        : m_data(std::move(failure))
    {}

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(m_data); }
    T&& value() && { return std::get<T>(std::move(m_data)); }
    const Failure& failure() const { return std::get<Failure>(m_data); }

private:
    std::variant<T, Failure> m_data;
};
