#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include <string_view>

#include "platform/core/qr_error.h"

namespace quillon {

// The evaluator raises EQRError only for misuse by the program (evaluating an unprepared
// expression, asking for the text of an error value). Faults in expression texts never raise:
// they become error values.

enum TQRValueKind : std::uint8_t { vkInteger, vkFloat, vkString, vkBoolean, vkError };

// The value of an expression: a fixed-size record copied by value, so that evaluating never
// allocates. Strings and error messages hold at most kMaxText bytes; longer texts are cut
// wherever they enter a value.
class TQRValue {
public:
    static constexpr std::size_t kMaxText = 255;

    TQRValue() noexcept : kind_(vkInteger), integer_(0) {}
    TQRValue(const TQRValue& other) noexcept { CopyFrom(other); }
    TQRValue& operator=(const TQRValue& other) noexcept {
        if (this != &other) CopyFrom(other);
        return *this;
    }

    static TQRValue Integer(std::int32_t value) noexcept;
    static TQRValue Float(double value) noexcept;
    static TQRValue Boolean(bool value) noexcept;
    static TQRValue String(std::string_view text = {}) noexcept;
    static TQRValue Error(std::string_view message = {}) noexcept;

    TQRValueKind Kind() const noexcept { return kind_; }
    bool IsNumber() const noexcept { return kind_ == vkInteger || kind_ == vkFloat; }
    bool IsError() const noexcept { return kind_ == vkError; }

    // Payloads; each is meaningful only for its kind.
    std::int32_t AsInteger() const noexcept { return integer_; }
    double AsFloat() const noexcept { return float_; }
    bool AsBoolean() const noexcept { return boolean_; }
    // The text of a string, or the message of an error.
    std::string_view Text() const noexcept { return {text_, length_}; }
    // An integer or a float as a floating-point number.
    double Number() const noexcept { return kind_ == vkInteger ? integer_ : float_; }

    // Appends to the text of a string or error value, dropping what passes kMaxText.
    void Append(std::string_view text) noexcept;
    void Append(char c) noexcept;

private:
    void CopyFrom(const TQRValue& other) noexcept;

    TQRValueKind kind_;
    std::uint8_t length_ = 0;
    union {
        std::int32_t integer_;
        double float_;
        bool boolean_;
    };
    char text_[kMaxText];
};

// The text form of a value: integers in decimal, floats in the general form (below), strings
// as they are, booleans as "True" or "False". An error value raises EQRError with
// "Error in expression : %s".
std::string ValueToText(const TQRValue& value);

// Appends the text form of a non-error value to a string value (no allocation).
void AppendValueText(TQRValue& out, const TQRValue& value) noexcept;

// The general form of a float: the shortest text with at most 15 significant digits, in fixed
// notation from 0.00001 up to 15 integer digits and in scientific notation otherwise ("1E15",
// "1.5E-10"), with the given decimal separator; zero is "0", infinities "INF" and "-INF", and a
// value that is not a number "NAN".
void AppendFloatText(TQRValue& out, double value, char decimalSeparator) noexcept;

// Formats a message with one "%s" parameter, cut to kMaxText bytes.
TQRValue ErrorValue(std::string_view format, std::string_view parameter) noexcept;
TQRValue ErrorValue(std::string_view format, std::string_view first,
                    std::string_view second) noexcept;

}  // namespace quillon
