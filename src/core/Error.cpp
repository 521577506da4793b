#include "core/Error.h"

#include "core/Text.h"

namespace orvane {

AppError::AppError(std::wstring message) : std::runtime_error(ToUtf8(message)), message_(std::move(message)) {}

} // namespace orvane
