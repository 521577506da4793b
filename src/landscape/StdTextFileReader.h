#pragma once

#include "platform/TextFileReader.h"

namespace orvane {

// Whole-file reading through the C++ library, for the console tool, benchmarks and tests.
class TStdTextFileReader : public ITextFileReader {
public:
    std::string ReadAll(const std::wstring& path) const override;
};

} // namespace orvane
