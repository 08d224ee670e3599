// The program's exception tree. Expected failures are status values; these are for the
// unexpected ones that a command turns into a message: text that is not a number, and an
// arithmetic fault (division by zero, overflow, invalid operation) inside a calculation.
#pragma once

#include <stdexcept>
#include <string>

namespace zmk {

/// Root of the program's exceptions: carries where the fault arose and what it was.
class ZmkError : public std::runtime_error
{
public:
    ZmkError(std::string where, const std::string& what) : std::runtime_error(what), where_(std::move(where))
    {
    }
    const std::string& where() const noexcept { return where_; }

private:
    std::string where_;
};

/// Text that was expected to be a number (or a date) and is not.
class EConvertError : public ZmkError
{
public:
    using ZmkError::ZmkError;
};

/// An arithmetic fault inside a calculation: division by zero, overflow, invalid operation.
class EMathError : public ZmkError
{
public:
    using ZmkError::ZmkError;
};

} // namespace zmk
