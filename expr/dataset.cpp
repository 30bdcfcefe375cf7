#include "expr/dataset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "expr/format_settings.h"
#include "expr/value.h"
#include "platform/core/cp1251.h"
#include "platform/core/rounding.h"

namespace quillon {

bool SameTextCp1251(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperCp1251(static_cast<std::uint8_t>(a[i])) !=
            UpperCp1251(static_cast<std::uint8_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

int TQRDataset::FindField(std::string_view name) const {
    const int count = FieldCount();
    for (int i = 0; i < count; ++i) {
        if (SameTextCp1251(FieldName(i), name)) return i;
    }
    return -1;
}

namespace {

[[noreturn]] void NoSuchParam(const TQRDataset& dataset, int index) {
    throw EDatabaseError(std::string(dataset.Name()) + ": there is no parameter " +
                         std::to_string(index));
}

[[noreturn]] void CannotConvert(const TQRDataset& dataset, int index, std::string_view why) {
    throw EDatabaseError(std::string(dataset.Name()) + ": parameter " +
                         std::string(dataset.ParamName(index)) + ": " + std::string(why));
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

std::string_view TQRDataset::ParamName(int /*index*/) const {
    return {};
}

TQRFieldType TQRDataset::ParamType(int /*index*/) const {
    return ftUnknown;
}

void TQRDataset::SetParamNull(int index) {
    NoSuchParam(*this, index);
}
void TQRDataset::SetParamInteger(int index, std::int64_t /*value*/) {
    NoSuchParam(*this, index);
}
void TQRDataset::SetParamFloat(int index, double /*value*/) {
    NoSuchParam(*this, index);
}
void TQRDataset::SetParamText(int index, std::string_view /*text*/) {
    NoSuchParam(*this, index);
}
void TQRDataset::SetParamBoolean(int index, bool /*value*/) {
    NoSuchParam(*this, index);
}

int TQRDataset::FindParam(std::string_view name) const {
    const int count = ParamCount();
    for (int i = 0; i < count; ++i) {
        if (SameTextCp1251(ParamName(i), name)) return i;
    }
    return -1;
}

void SetParamFromValue(TQRDataset& dataset, int index, const TQRValue& value) {
    if (value.IsError()) CannotConvert(dataset, index, value.Text());
    switch (dataset.ParamType(index)) {
        case ftString:
        case ftDate:
        case ftTime:
        case ftDateTime:
        case ftBlob:
            dataset.SetParamText(index, ValueToText(value));
            return;
        case ftSmallint:
        case ftInteger:
        case ftWord:
            switch (value.Kind()) {
                case vkInteger:
                    dataset.SetParamInteger(index, value.AsInteger());
                    return;
                case vkFloat:
                    if (!std::isfinite(value.AsFloat())) {
                        CannotConvert(dataset, index, "the number is not finite");
                    }
                    dataset.SetParamInteger(index, RoundHalfEven(value.AsFloat()));
                    return;
                case vkBoolean:
                    dataset.SetParamInteger(index, value.AsBoolean() ? 1 : 0);
                    return;
                default: {
                    const std::string_view text = Trimmed(value.Text());
                    std::int64_t number = 0;
                    const auto [end, error] =
                        std::from_chars(text.data(), text.data() + text.size(), number);
                    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
                        CannotConvert(dataset, index,
                                      "'" + std::string(value.Text()) + "' is not a whole number");
                    }
                    dataset.SetParamInteger(index, number);
                    return;
                }
            }
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            switch (value.Kind()) {
                case vkInteger:
                case vkFloat:
                    dataset.SetParamFloat(index, value.Number());
                    return;
                case vkBoolean:
                    dataset.SetParamFloat(index, value.AsBoolean() ? 1 : 0);
                    return;
                default: {
                    std::string text(Trimmed(value.Text()));
                    const char separator = FormatSettings().decimalSeparator;
                    if (separator != '.') std::replace(text.begin(), text.end(), separator, '.');
                    double number = 0;
                    const auto [end, error] =
                        std::from_chars(text.data(), text.data() + text.size(), number);
                    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
                        CannotConvert(dataset, index,
                                      "'" + std::string(value.Text()) + "' is not a number");
                    }
                    dataset.SetParamFloat(index, number);
                    return;
                }
            }
        case ftBoolean:
            switch (value.Kind()) {
                case vkBoolean:
                    dataset.SetParamBoolean(index, value.AsBoolean());
                    return;
                case vkInteger:
                case vkFloat:
                    dataset.SetParamBoolean(index, value.Number() != 0);
                    return;
                default:
                    if (SameTextCp1251(Trimmed(value.Text()), "True")) {
                        dataset.SetParamBoolean(index, true);
                    } else if (SameTextCp1251(Trimmed(value.Text()), "False")) {
                        dataset.SetParamBoolean(index, false);
                    } else {
                        CannotConvert(dataset, index,
                                      "'" + std::string(value.Text()) + "' is not True or False");
                    }
                    return;
            }
        default:
            switch (value.Kind()) {
                case vkInteger:
                    dataset.SetParamInteger(index, value.AsInteger());
                    return;
                case vkFloat:
                    dataset.SetParamFloat(index, value.AsFloat());
                    return;
                case vkBoolean:
                    dataset.SetParamBoolean(index, value.AsBoolean());
                    return;
                default:
                    dataset.SetParamText(index, value.Text());
                    return;
            }
    }
}

}  // namespace quillon
