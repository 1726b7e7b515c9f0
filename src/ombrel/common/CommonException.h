#pragma once

#include <exception>
#include <string>

namespace Ombrel::Common {

// Root of the exceptions of the non-visual layer. Only serialization throws; every other
// operation reports failure through its result.
class CommonException : public std::exception
{
public:
    explicit CommonException(std::string message) : m_message(std::move(message)) {}

    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

} // namespace Ombrel::Common
