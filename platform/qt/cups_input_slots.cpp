#include "platform/qt/cups_input_slots.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <string_view>

namespace quillon {

namespace {

struct BinNames {
    int bin;
    std::array<std::string_view, 3> names;  // PPD choice keywords; unused entries are empty
};

// Device bin codes and the InputSlot keywords printer descriptions use for them.
constexpr std::array<BinNames, 12> kBinNames{{
    {1, {"Upper", "Top", "Tray1"}},
    {2, {"Lower", "Bottom", "Tray2"}},
    {3, {"Middle", "Tray3", ""}},
    {4, {"Manual", "ManualFeed", ""}},
    {5, {"Envelope", "EnvelopeFeed", ""}},
    {6, {"EnvManual", "ManualEnvelope", "EnvelopeManual"}},
    {7, {"Auto", "AutoSelect", "Default"}},
    {8, {"Tractor", "TractorFeed", ""}},
    {9, {"SmallFormat", "", ""}},
    {10, {"LargeFormat", "", ""}},
    {11, {"LargeCapacity", "HighCapacity", ""}},
    {14, {"Cassette", "", ""}},
}};

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

InputSlots::InputSlots(std::vector<std::string> choices, std::string defaultChoice)
    : choices_(std::move(choices)), default_(std::move(defaultChoice)) {}

// The PPD interface of libcups is marked deprecated, yet it is the one way to read a queue's
// InputSlot choices.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

InputSlots InputSlots::FromPpdFile(const std::string& path) {
    ppd_file_t* ppd = ppdOpenFile(path.c_str());
    if (ppd == nullptr) return {};
    std::vector<std::string> choices;
    std::string defaultChoice;
    if (ppd_option_t* option = ppdFindOption(ppd, "InputSlot"); option != nullptr) {
        for (int i = 0; i < option->num_choices; ++i)
            choices.emplace_back(option->choices[i].choice);
        defaultChoice = option->defchoice;
    }
    ppdClose(ppd);
    return InputSlots(std::move(choices), std::move(defaultChoice));
}

InputSlots InputSlots::OfPrinter(const std::string& printer) {
    const char* path = cupsGetPPD(printer.c_str());
    if (path == nullptr) return {};
    const std::string file(path);
    InputSlots found = FromPpdFile(file);
    unlink(file.c_str());
    return found;
}

#pragma GCC diagnostic pop

bool InputSlots::CanSelectBins() const {
    for (const std::string& choice : choices_) {
        if (BinOfChoice(choice)) return true;
    }
    return false;
}

std::optional<std::string> InputSlots::ChoiceForBin(int bin) const {
    for (const BinNames& entry : kBinNames) {
        if (entry.bin != bin) continue;
        for (std::string_view name : entry.names) {
            if (name.empty()) continue;
            for (const std::string& choice : choices_) {
                if (SameName(choice, name)) return choice;
            }
        }
    }
    return std::nullopt;
}

std::optional<int> InputSlots::DefaultBin() const {
    if (default_.empty()) return std::nullopt;
    return BinOfChoice(default_);
}

std::optional<int> InputSlots::BinOfChoice(const std::string& choice) {
    for (const BinNames& entry : kBinNames) {
        for (std::string_view name : entry.names) {
            if (!name.empty() && SameName(choice, name)) return entry.bin;
        }
    }
    return std::nullopt;
}

}  // namespace quillon
