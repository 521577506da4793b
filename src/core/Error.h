#pragma once

#include <stdexcept>
#include <string>

namespace orvane {

// An error that ends the running command; its text is what the user is shown.
class AppError : public std::runtime_error {
public:
    explicit AppError(std::wstring message);
    const std::wstring& Message() const noexcept { return message_; }

private:
    std::wstring message_;
};

} // namespace orvane
