#pragma once

#include <QString>

#include <utility>
#include <variant>

// Why an operation failed, already worded for the user (Japanese).
struct Failure {
    QString description;
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
