#include "output/paper.h"

#include "platform/core/rounding.h"

namespace quillon {

namespace {

constexpr bool TableIsInEnumerationOrder() {
    for (std::size_t i = 0; i < kPaperTable.size(); ++i) {
        if (static_cast<std::size_t>(kPaperTable[i].size) != i) return false;
    }
    return true;
}
static_assert(TableIsInEnumerationOrder(), "paper table rows must follow TQRPaperSize");

}  // namespace

const PaperEntry& PaperInfo(TQRPaperSize size) {
    return kPaperTable[static_cast<std::size_t>(size)];
}

std::string_view PaperSizeName(TQRPaperSize size) {
    return PaperInfo(size).name;
}

bool HasPaperDimensions(TQRPaperSize size) {
    return size != TQRPaperSize::Default && size != TQRPaperSize::Custom;
}

std::optional<PaperTenths> PaperSizeInTenths(TQRPaperSize size) {
    if (!HasPaperDimensions(size)) return std::nullopt;
    const PaperEntry& entry = PaperInfo(size);
    return PaperTenths{RoundHalfEven32(entry.width * 10), RoundHalfEven32(entry.length * 10)};
}

int PaperCode(TQRPaperSize size) {
    return kPaperCodes[static_cast<std::size_t>(size)];
}

std::optional<TQRPaperSize> PaperSizeFromCode(int code) {
    for (std::size_t i = 0; i < kPaperCodes.size(); ++i) {
        if (kPaperCodes[i] == code) return static_cast<TQRPaperSize>(i);
    }
    return std::nullopt;
}

int BinCode(TQRBin bin) {
    return kBinCodes[static_cast<std::size_t>(bin)];
}

std::optional<TQRBin> BinFromCode(int code) {
    for (std::size_t i = 0; i < kBinCodes.size(); ++i) {
        if (kBinCodes[i] == code) return static_cast<TQRBin>(i);
    }
    return std::nullopt;
}

}  // namespace quillon
