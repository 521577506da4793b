#include "core/Error.h"
#include "core/Text.h"
#include "update/WebUpdate.h"

namespace orvane {

bool TWebUpdate::NewVersionAvailable(bool initPath) {
    if (initPath && FServices.currentFolder && FServices.folders)
        FServices.currentFolder->Set(FServices.folders->Path(KnownFolder::Application));
    FCancelled = false;
    // Raised before the session opens, so nothing is left open behind the error.
    if (UpdateType == TWebUpdateType::ftpUpdate && Host.empty()) throw AppError(L"No host specified");
    if (StartConnection() != 0) return false;
    if (UpdateType == TWebUpdateType::ftpUpdate && FTPConnect() == -1) Error();
    bool result = false;
    if ((FHintConnect || UpdateType == TWebUpdateType::fileUpdate) && GetControlFile() == 0) {
        const int r = DoVersionCheck();
        if (r == 8) {
            if (GetFileDetails() > 0) ProcessFileDetails();
            result = FFileList.Count() > 0;
        } else {
            result = r != 7;
        }
        if (result && OnDownloadedWhatsNew) {
            if (auto lines = GetWhatsNew()) {
                int res = 1;
                OnDownloadedWhatsNew(*this, *lines, res);
            }
        }
    }
    StopConnection();
    return result;
}

std::optional<std::vector<std::wstring>> TWebUpdate::NewWhatsNew(bool showDialog) {
    if (StartConnection() != 0) return std::nullopt;
    if (UpdateType == TWebUpdateType::ftpUpdate && FTPConnect() == -1) Error();
    std::optional<std::vector<std::wstring>> result;
    if ((FHintConnect || UpdateType == TWebUpdateType::fileUpdate) && GetControlFile() == 0 && DoVersionCheck() != 7) {
        if (auto stream = GetWhatsNewStream(); stream && !stream->empty()) {
            if (!StreamIsRTF(*stream)) {
                result = TextLines(*stream);
                if (!showDialog && OnDownloadedWhatsNew) {
                    int res = 1;
                    OnDownloadedWhatsNew(*this, *result, res);
                }
                std::string rewritten;
                for (size_t i = 0; i < result->size(); ++i) rewritten += (i ? "\r\n" : "") + ToUtf8((*result)[i]);
                // The lines go back as UTF-8 with its mark, so the dialog reads them as they are.
                stream = "\xEF\xBB\xBF" + rewritten;
            }
            if (showDialog) ShowWhatsNewDialog(*stream);
        }
    }
    StopConnection();
    return result;
}

}  // namespace orvane
