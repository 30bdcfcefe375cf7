#include "report/export_filter_library.h"

#include <algorithm>
#include <utility>

namespace quillon {

void TQRExportFilterLibrary::Add(TQRExportFilterEntry entry) {
    filters_.push_back(std::move(entry));
}

void TQRExportFilterLibrary::Remove(const std::string& description) {
    std::erase_if(filters_,
                  [&](const TQRExportFilterEntry& e) { return e.description == description; });
}

std::string TQRExportFilterLibrary::SaveDialogFilter() const {
    std::string filter = "RozerEdedid file(*.QRP)|*.QRP";
    for (const TQRExportFilterEntry& e : filters_) {
        filter += "|" + e.description + " (*." + e.extension + ")|*." + e.extension;
    }
    return filter;
}

TQRExportFilterLibrary& QRExportFilterLibrary() {
    static TQRExportFilterLibrary library;
    return library;
}

}  // namespace quillon
