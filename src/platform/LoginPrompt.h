#pragma once

#include <string>

namespace orvane {

// The modal log-on dialog: true with the entered texts on OK; false, texts untouched, otherwise.
class ILoginPrompt {
public:
    virtual ~ILoginPrompt() = default;
    virtual bool Prompt(const std::wstring& caption, std::wstring& user, std::wstring& password) = 0;
};

}  // namespace orvane
