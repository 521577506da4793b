#pragma once

#include <string>

namespace orvane {

// The small modeless download window: a progress bar (ProgressBar) and a label (FileLabel), 300 by
// 110 pixels, captioned "Downloading...". The window itself belongs to the Windows half.
class TProgressForm {
public:
    virtual ~TProgressForm() = default;
    virtual void SetProgress(long long minimum, long long maximum, long long position) = 0;
    virtual void SetFileLabel(const std::wstring& text) = 0;
    virtual void SetCaption(const std::wstring& text) = 0;
    // Shown while a file downloads, hidden in between.
    virtual void SetVisible(bool visible) { (void)visible; }
};

}  // namespace orvane
