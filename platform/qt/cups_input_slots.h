#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillon {

// The paper sources of a printer as its PPD file offers them (the InputSlot option), and the
// translation between the device bin codes and those choices. Only choices whose names say
// which bin they are take part; a printer without such choices cannot be given a bin.
class InputSlots {
public:
    InputSlots() = default;
    InputSlots(std::vector<std::string> choices, std::string defaultChoice);

    // Reads the InputSlot option of a PPD file; empty when the file has none or cannot be read.
    static InputSlots FromPpdFile(const std::string& path);
    // The slots of a CUPS queue, through its PPD; empty without one (or without a scheduler).
    static InputSlots OfPrinter(const std::string& printer);

    const std::vector<std::string>& Choices() const { return choices_; }
    // True when at least one choice stands for a bin code.
    bool CanSelectBins() const;
    // The InputSlot choice for a bin code; none when the printer has no such bin.
    std::optional<std::string> ChoiceForBin(int bin) const;
    // The bin code of the printer's default choice; none when it stands for no bin code.
    std::optional<int> DefaultBin() const;

    // The first bin code whose usual PPD choice names include `choice` (any case).
    static std::optional<int> BinOfChoice(const std::string& choice);

private:
    std::vector<std::string> choices_;
    std::string default_;
};

}  // namespace quillon
