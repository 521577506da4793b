#pragma once

#include <string>

namespace orvane {

// Reads a whole file as bytes, opened for reading while others may read but not write it.
class ITextFileReader {
public:
    virtual ~ITextFileReader() = default;
    // Raises AppError with the system's message when the file cannot be opened or read.
    virtual std::string ReadAll(const std::wstring& path) const = 0;
};

}  // namespace orvane
