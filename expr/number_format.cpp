#include "expr/number_format.h"

#include <charconv>
#include <cmath>

namespace quillon {

namespace {

constexpr int kMaxDigits = 40;

bool IsQuote(char c) noexcept {
    return c == '\'' || c == '"';
}

// What a mask section asks for.
struct Layout {
    int placesBefore = 0;  // digit placeholders before the decimal point
    int minInteger = 0;    // integer digits always shown (from the first "0")
    int placesAfter = 0;   // digit placeholders after the decimal point
    int minFraction = 0;   // fraction digits always shown (up to the last "0")
    bool thousands = false;
    bool scientific = false;
};

// Whether position i of a section starts a scientific exponent ("E+", "e-", ...).
bool IsExponent(std::string_view section, std::size_t i) noexcept {
    return (section[i] == 'E' || section[i] == 'e') && i + 1 < section.size() &&
           (section[i + 1] == '+' || section[i + 1] == '-');
}

Layout Analyse(std::string_view section) noexcept {
    Layout layout;
    bool point = false;
    int firstZero = -1;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (IsQuote(c)) {
            const std::size_t end = section.find(c, i + 1);
            i = end == std::string_view::npos ? section.size() : end;
        } else if (c == '0' || c == '#') {
            if (!point) {
                if (c == '0' && firstZero < 0) firstZero = layout.placesBefore;
                ++layout.placesBefore;
            } else {
                ++layout.placesAfter;
                if (c == '0') layout.minFraction = layout.placesAfter;
            }
        } else if (c == '.') {
            point = true;
        } else if (c == ',') {
            layout.thousands = true;
        } else if (IsExponent(section, i)) {
            layout.scientific = true;
            break;  // what follows the exponent is its digits and literal text
        }
    }
    layout.minInteger = firstZero < 0 ? 0 : layout.placesBefore - firstZero;
    return layout;
}

// The decimal digits of a non-negative finite number: value = 0.digits × 10^pointPos.
struct Decimal {
    char digits[kMaxDigits] = {};
    int count = 0;
    int pointPos = 0;

    explicit Decimal(double value) noexcept {
        if (value == 0) return;
        char buffer[48];
        const auto r =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 16);
        const std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
        const std::size_t e = text.find('e');
        int exponent = 0;
        std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                        exponent);
        for (std::size_t i = 0; i < e; ++i) {
            if (text[i] != '.') digits[count++] = text[i];
        }
        pointPos = exponent + 1;
    }

    // Rounds to `keep` leading digits, halves away from zero.
    void RoundTo(int keep) noexcept {
        if (keep < 0) {
            count = 0;
            return;
        }
        if (keep >= count) return;
        const bool up = digits[keep] >= '5';
        count = keep;
        if (!up) return;
        int i = count - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[i];
        } else {
            // All nines: the number gains a digit.
            for (int j = count; j > 0; --j) digits[j] = digits[j - 1];
            digits[0] = '1';
            ++count;
            ++pointPos;
        }
    }

    bool IsZero() const noexcept {
        for (int i = 0; i < count; ++i) {
            if (digits[i] != '0') return false;
        }
        return true;
    }

    char DigitAt(int index) const noexcept {
        return index >= 0 && index < count ? digits[index] : '0';
    }
};

// A number laid out for a section: integer digits, fraction digits and the exponent.
struct Parts {
    char integer[kMaxDigits + 8] = {};
    int integerCount = 0;
    char fraction[kMaxDigits + 8] = {};
    int fractionCount = 0;
    int exponent = 0;
    bool zero = false;
};

Parts Lay(double magnitude, const Layout& layout) noexcept {
    Parts parts;
    Decimal d(magnitude);
    const int places = layout.placesAfter < kMaxDigits ? layout.placesAfter : kMaxDigits;
    if (layout.scientific) {
        const int before = layout.placesBefore < kMaxDigits ? layout.placesBefore : kMaxDigits;
        d.RoundTo(before + places);
        parts.zero = d.IsZero();
        if (parts.zero) {
            const int shown = layout.minInteger > 0 ? layout.minInteger : 1;
            for (int i = 0; i < shown && i < before; ++i) parts.integer[parts.integerCount++] = '0';
            if (parts.integerCount == 0) parts.integer[parts.integerCount++] = '0';
        } else {
            parts.exponent = d.pointPos - before;
            for (int i = 0; i < before; ++i) parts.integer[parts.integerCount++] = d.DigitAt(i);
        }
        for (int i = 0; i < places; ++i) {
            parts.fraction[parts.fractionCount++] = parts.zero ? '0' : d.DigitAt(before + i);
        }
    } else {
        d.RoundTo(d.pointPos + places);
        parts.zero = d.IsZero();
        if (!parts.zero) {
            for (int i = 0; i < d.pointPos; ++i) parts.integer[parts.integerCount++] = d.DigitAt(i);
        }
        while (parts.integerCount < layout.minInteger && parts.integerCount < kMaxDigits) {
            // Leading zeros up to the first "0" placeholder.
            for (int i = parts.integerCount; i > 0; --i) parts.integer[i] = parts.integer[i - 1];
            parts.integer[0] = '0';
            ++parts.integerCount;
        }
        for (int i = 0; i < places; ++i) {
            parts.fraction[parts.fractionCount++] = parts.zero ? '0' : d.DigitAt(d.pointPos + i);
        }
    }
    while (parts.fractionCount > layout.minFraction &&
           parts.fraction[parts.fractionCount - 1] == '0') {
        --parts.fractionCount;
    }
    return parts;
}

void Emit(std::string_view section, const Layout& layout, const Parts& parts, bool minus,
          const TQRFormatSettings& settings, TQRValue& out) noexcept {
    if (minus) out.Append('-');
    bool point = false;
    bool integerDone = false;
    int placeBefore = 0;
    int placeAfter = 0;
    const int count = parts.integerCount;

    auto emitIntegerDigit = [&](int index) {
        out.Append(parts.integer[index]);
        const int remaining = count - 1 - index;
        if (layout.thousands && settings.thousandSeparator != '\0' && remaining > 0 &&
            remaining % 3 == 0) {
            out.Append(settings.thousandSeparator);
        }
    };
    // Integer digits beyond the placeholders go before the first one; with no placeholder
    // before the point, all of them go before the point.
    auto emitLeadingDigits = [&] {
        if (integerDone) return;
        integerDone = true;
        for (int i = 0; i < count - layout.placesBefore; ++i) emitIntegerDigit(i);
    };

    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (IsQuote(c)) {
            const std::size_t end = section.find(c, i + 1);
            out.Append(section.substr(i + 1, end - i - 1));
            i = end;
        } else if ((c == '0' || c == '#') && !point) {
            emitLeadingDigits();
            const int index = count - (layout.placesBefore - placeBefore);
            if (index >= 0) emitIntegerDigit(index);
            ++placeBefore;
        } else if ((c == '0' || c == '#') && point) {
            emitLeadingDigits();
            if (placeAfter < parts.fractionCount) out.Append(parts.fraction[placeAfter]);
            ++placeAfter;
        } else if (c == '.') {
            if (!point) {
                emitLeadingDigits();
                if (parts.fractionCount > 0) out.Append(settings.decimalSeparator);
                point = true;
            }
        } else if (c == ',') {
            // Only asks for thousand separators.
        } else if (layout.scientific && IsExponent(section, i)) {
            emitLeadingDigits();
            out.Append(c);
            if (parts.exponent < 0) {
                out.Append('-');
            } else if (section[i + 1] == '+') {
                out.Append('+');
            }
            int width = 0;
            i += 2;
            while (i < section.size() && section[i] == '0' && width < 4) {
                ++width;
                ++i;
            }
            --i;
            char digits[16];
            const int magnitude = parts.exponent < 0 ? -parts.exponent : parts.exponent;
            const auto r = std::to_chars(digits, digits + sizeof digits, magnitude);
            const auto length = static_cast<int>(r.ptr - digits);
            for (int pad = length; pad < width; ++pad) out.Append('0');
            out.Append(std::string_view(digits, static_cast<std::size_t>(length)));
            // The rest of the section is literal text.
            for (++i; i < section.size(); ++i) {
                if (IsQuote(section[i])) {
                    const std::size_t end = section.find(section[i], i + 1);
                    out.Append(section.substr(i + 1, end - i - 1));
                    i = end;
                } else {
                    out.Append(section[i]);
                }
            }
            return;
        } else {
            out.Append(c);
        }
    }
}

}  // namespace

bool FormatNumber(std::string_view mask, double value, const TQRFormatSettings& settings,
                  TQRValue& out) noexcept {
    // Sections, split at ";" outside literals; an unterminated literal is refused.
    std::string_view sections[3];
    int sectionCount = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= mask.size(); ++i) {
        if (i < mask.size() && IsQuote(mask[i])) {
            const std::size_t end = mask.find(mask[i], i + 1);
            if (end == std::string_view::npos) return false;
            i = end;
        } else if (i == mask.size() || mask[i] == ';') {
            if (sectionCount < 3) sections[sectionCount++] = mask.substr(start, i - start);
            start = i + 1;
        }
    }

    if (sections[0].empty()) {
        AppendFloatText(out, value, settings.decimalSeparator);
        return true;
    }
    if (!std::isfinite(value)) return false;

    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    int chosen = negative && sectionCount >= 2 && !sections[1].empty() ? 1 : 0;
    Layout layout = Analyse(sections[chosen]);
    if (!layout.scientific && magnitude >= 1e18) {
        AppendFloatText(out, value, settings.decimalSeparator);
        return true;
    }
    Parts parts = Lay(magnitude, layout);
    if (parts.zero && sectionCount >= 3 && !sections[2].empty()) {
        chosen = 2;
        layout = Analyse(sections[2]);
        parts = Lay(0, layout);
    }
    Emit(sections[chosen], layout, parts, negative && chosen == 0 && !parts.zero, settings, out);
    return true;
}

std::string FormatNumberText(std::string_view mask, double value, bool* ok) {
    TQRValue text = TQRValue::String();
    const bool done = FormatNumber(mask, value, FormatSettings(), text);
    if (ok != nullptr) *ok = done;
    return done ? std::string(text.Text()) : std::string();
}

}  // namespace quillon
