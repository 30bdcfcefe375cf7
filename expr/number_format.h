#pragma once

#include <string>
#include <string_view>

#include "expr/format_settings.h"
#include "expr/value.h"

namespace quillon {

// Number masks, as used by FORMATNUMERIC and by expression printables:
//   0  a digit, or "0" when the number has none there     #  a digit, or nothing
//   .  the decimal separator (the first one counts)        ,  thousand separators wanted
//   E+ E- e+ e-  scientific notation, followed by up to four "0" for the exponent's digits
//   'x' "x"  literal text                                  ;  separates the sections for
// positive (and all), negative and zero numbers. A negative number formatted by the first section
// gets a leading "-"; a number that rounds to zero counts as zero. An empty mask or section, and
// a number of more than 18 integer digits without scientific notation, give the general form.
// Appends the result to the string value `out`; false when the mask has an unterminated literal
// or a non-finite number meets a mask.
bool FormatNumber(std::string_view mask, double value, const TQRFormatSettings& settings,
                  TQRValue& out) noexcept;

// The same with the settings in use, as a string; `ok` tells whether the mask was accepted.
std::string FormatNumberText(std::string_view mask, double value, bool* ok = nullptr);

}  // namespace quillon
