#pragma once

#include <windows.h>

#include <string>

#include "platform/UrlDownload.h"

namespace orvane {

// The release notes of the control file at URL in the modal news window; every failure is silent.
void ShowNews(const std::wstring& url, HWND owner);
void ShowNews(const std::wstring& url, HWND owner, IUrlDownload& download);

}  // namespace orvane
