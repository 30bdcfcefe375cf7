#include "expr/value.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "expr/format_settings.h"

namespace quillon {

namespace {

std::size_t Cut(std::size_t length) noexcept {
    return length < TQRValue::kMaxText ? length : TQRValue::kMaxText;
}

}  // namespace

TQRValue TQRValue::Integer(std::int32_t value) noexcept {
    TQRValue v;
    v.kind_ = vkInteger;
    v.integer_ = value;
    return v;
}

TQRValue TQRValue::Float(double value) noexcept {
    TQRValue v;
    v.kind_ = vkFloat;
    v.float_ = value;
    return v;
}

TQRValue TQRValue::Boolean(bool value) noexcept {
    TQRValue v;
    v.kind_ = vkBoolean;
    v.boolean_ = value;
    return v;
}

TQRValue TQRValue::String(std::string_view text) noexcept {
    TQRValue v;
    v.kind_ = vkString;
    v.Append(text);
    return v;
}

TQRValue TQRValue::Error(std::string_view message) noexcept {
    TQRValue v;
    v.kind_ = vkError;
    v.Append(message);
    return v;
}

void TQRValue::Append(std::string_view text) noexcept {
    const std::size_t room = kMaxText - length_;
    const std::size_t count = text.size() < room ? text.size() : room;
    if (count == 0) return;
    std::memcpy(text_ + length_, text.data(), count);
    length_ = static_cast<std::uint8_t>(length_ + count);
}

void TQRValue::Append(char c) noexcept {
    if (length_ < kMaxText) text_[length_++] = c;
}

void TQRValue::CopyFrom(const TQRValue& other) noexcept {
    kind_ = other.kind_;
    length_ = other.length_;
    float_ = 0;
    switch (kind_) {
        case vkInteger:
            integer_ = other.integer_;
            break;
        case vkFloat:
            float_ = other.float_;
            break;
        case vkBoolean:
            boolean_ = other.boolean_;
            break;
        case vkString:
        case vkError:
            break;
    }
    if (length_ > 0) std::memcpy(text_, other.text_, Cut(length_));
}

void AppendFloatText(TQRValue& out, double value, char decimalSeparator) noexcept {
    if (std::isnan(value)) {
        out.Append("NAN");
        return;
    }
    if (std::isinf(value)) {
        out.Append(value < 0 ? "-INF" : "INF");
        return;
    }
    if (value == 0) {
        out.Append('0');
        return;
    }
    // 15 significant digits, correctly rounded: "-d.dddddddddddddde+XX".
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    char digits[16];
    std::size_t count = 0;
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] >= '0' && text[i] <= '9') digits[count++] = text[i];
    }
    while (count > 1 && digits[count - 1] == '0') --count;

    if (value < 0) out.Append('-');
    if (exponent < -5 || exponent > 14) {
        out.Append(digits[0]);
        if (count > 1) {
            out.Append(decimalSeparator);
            out.Append(std::string_view(digits + 1, count - 1));
        }
        out.Append('E');
        char exp[8];
        const auto r = std::to_chars(exp, exp + sizeof exp, exponent);
        out.Append(std::string_view(exp, static_cast<std::size_t>(r.ptr - exp)));
        return;
    }
    if (exponent < 0) {
        out.Append('0');
        out.Append(decimalSeparator);
        for (int i = -1; i > exponent; --i) out.Append('0');
        out.Append(std::string_view(digits, count));
        return;
    }
    const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
    for (std::size_t i = 0; i < integerDigits; ++i) out.Append(i < count ? digits[i] : '0');
    if (count > integerDigits) {
        out.Append(decimalSeparator);
        out.Append(std::string_view(digits + integerDigits, count - integerDigits));
    }
}

void AppendValueText(TQRValue& out, const TQRValue& value) noexcept {
    switch (value.Kind()) {
        case vkInteger: {
            char buffer[16];
            const auto r = std::to_chars(buffer, buffer + sizeof buffer, value.AsInteger());
            out.Append(std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer)));
            break;
        }
        case vkFloat:
            AppendFloatText(out, value.AsFloat(), FormatSettings().decimalSeparator);
            break;
        case vkBoolean:
            out.Append(value.AsBoolean() ? "True" : "False");
            break;
        case vkString:
            out.Append(value.Text());
            break;
        case vkError:
            break;
    }
}

std::string ValueToText(const TQRValue& value) {
    if (value.IsError()) {
        throw EQRError("Error in expression : " + std::string(value.Text()));
    }
    TQRValue text = TQRValue::String();
    AppendValueText(text, value);
    return std::string(text.Text());
}

namespace {

void AppendFormatted(TQRValue& out, std::string_view format, std::string_view first,
                     std::string_view second) noexcept {
    int used = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && used < 2) {
            out.Append(used == 0 ? first : second);
            ++used;
            ++i;
        } else {
            out.Append(format[i]);
        }
    }
}

}  // namespace

TQRValue ErrorValue(std::string_view format, std::string_view parameter) noexcept {
    TQRValue v = TQRValue::Error();
    AppendFormatted(v, format, parameter, {});
    return v;
}

TQRValue ErrorValue(std::string_view format, std::string_view first,
                    std::string_view second) noexcept {
    TQRValue v = TQRValue::Error();
    AppendFormatted(v, format, first, second);
    return v;
}

}  // namespace quillon
