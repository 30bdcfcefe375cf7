// Logical, information, string and date functions.

#include <algorithm>
#include <string>

#include "expr/format_settings.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "platform/core/cp1251.h"

namespace quillon {

namespace {

class TQRIfFunction : public TQRLibraryFunction {
public:
    TQRIfFunction() : TQRLibraryFunction("IF") {}
    TQRValue Compute() override {
        const TQRValue* condition = ArgumentOf(0, vkBoolean);
        if (ArgumentCount() != 3 || condition == nullptr) {
            return ErrorValue("Wrong arguments for %s", "IF");
        }
        return ArgumentAt(condition->AsBoolean() ? 1 : 2);
    }
};

template <bool kValue>
class TQRBooleanFunction : public TQRLibraryFunction {
public:
    TQRBooleanFunction() : TQRLibraryFunction(kValue ? "TRUE" : "FALSE") {}
    TQRValue Compute() override {
        if (ArgumentCount() > 0) return TQRValue::Error("Too many arguments");
        return TQRValue::Boolean(kValue);
    }
};

class TQRTypeOfFunction : public TQRLibraryFunction {
public:
    TQRTypeOfFunction() : TQRLibraryFunction("TYPEOF") {}
    TQRValue Compute() override {
        static constexpr std::string_view kNames[] = {"INTEGER", "FLOAT", "STRING", "BOOLEAN",
                                                      "ERROR"};
        if (ArgumentCount() != 1) return ErrorValue("Wrong arguments for %s", "TypeOf");
        return TQRValue::String(kNames[ArgumentAt(0).Kind()]);
    }
};

class TQRStrFunction : public TQRLibraryFunction {
public:
    TQRStrFunction() : TQRLibraryFunction("STR") {}
    TQRValue Compute() override {
        if (ArgumentCount() != 1 || ArgumentAt(0).Kind() == vkString || ArgumentAt(0).IsError()) {
            return TQRValue::Error("Conversion error");
        }
        TQRValue text = TQRValue::String();
        AppendValueText(text, ArgumentAt(0));
        return text;
    }
};

// UPPER, LOWER and PRETTY: one string argument; an error argument passes its message on.
class TQRCaseFunction : public TQRLibraryFunction {
public:
    using TQRLibraryFunction::TQRLibraryFunction;
    TQRValue Compute() override {
        if (ArgumentCount() != 1) return ErrorValue("Missing argument for %s", Name());
        const TQRValue& x = ArgumentAt(0);
        if (x.IsError()) return x;
        if (x.Kind() != vkString) return ErrorValue("Wrong arguments for %s", Name());
        TQRValue result = TQRValue::String();
        const std::string_view text = x.Text();
        for (std::size_t i = 0; i < text.size(); ++i) {
            result.Append(static_cast<char>(Fold(i, static_cast<std::uint8_t>(text[i]))));
        }
        return result;
    }

protected:
    virtual std::uint8_t Fold(std::size_t position, std::uint8_t byte) const = 0;
};

class TQRUpperFunction : public TQRCaseFunction {
public:
    TQRUpperFunction() : TQRCaseFunction("UPPER") {}

protected:
    std::uint8_t Fold(std::size_t, std::uint8_t byte) const override { return UpperCp1251(byte); }
};

class TQRLowerFunction : public TQRCaseFunction {
public:
    TQRLowerFunction() : TQRCaseFunction("LOWER") {}

protected:
    std::uint8_t Fold(std::size_t, std::uint8_t byte) const override { return LowerCp1251(byte); }
};

// The code page has one byte per character, so only the first byte is raised.
class TQRPrettyFunction : public TQRCaseFunction {
public:
    TQRPrettyFunction() : TQRCaseFunction("PRETTY") {}

protected:
    std::uint8_t Fold(std::size_t position, std::uint8_t byte) const override {
        return position == 0 ? UpperCp1251(byte) : LowerCp1251(byte);
    }
};

// The part of a text from a 1-based start (below 1 counts as 1) of at most `length` bytes.
TQRValue Substring(std::string_view text, std::int64_t start, std::int64_t length) noexcept {
    if (start < 1) start = 1;
    const auto size = static_cast<std::int64_t>(text.size());
    if (start > size || length <= 0) return TQRValue::String();
    const std::int64_t count = std::min(length, size - start + 1);
    return TQRValue::String(
        text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

class TQRCopyFunction : public TQRLibraryFunction {
public:
    TQRCopyFunction() : TQRLibraryFunction("COPY") {}
    TQRValue Compute() override {
        const TQRValue* x = ArgumentOf(0, vkString);
        const TQRValue* start = ArgumentOf(1, vkInteger);
        const TQRValue* length = ArgumentOf(2, vkInteger);
        if (ArgumentCount() != 3 || x == nullptr || start == nullptr || length == nullptr) {
            return TQRValue::Error();
        }
        return Substring(x->Text(), start->AsInteger(), length->AsInteger());
    }
};

template <bool kLeft>
class TQRSideStrFunction : public TQRLibraryFunction {
public:
    TQRSideStrFunction() : TQRLibraryFunction(kLeft ? "LEFTSTR" : "RIGHTSTR") {}
    TQRValue Compute() override {
        const TQRValue* s = ArgumentOf(0, vkString);
        const TQRValue* n = ArgumentOf(1, vkInteger);
        if (ArgumentCount() != 2 || s == nullptr || n == nullptr) return TQRValue::Error();
        const std::string_view text = s->Text();
        const auto size = static_cast<std::int64_t>(text.size());
        const std::int64_t count = std::clamp<std::int64_t>(n->AsInteger(), 0, size);
        return kLeft ? Substring(text, 1, count) : Substring(text, size - count + 1, count);
    }
};

class TQRFormatNumericFunction : public TQRLibraryFunction {
public:
    TQRFormatNumericFunction() : TQRLibraryFunction("FORMATNUMERIC") {}
    TQRValue Compute() override {
        const TQRValue* mask = ArgumentOf(0, vkString);
        const TQRValue* n = NumberArgument(1);
        if (ArgumentCount() != 2 || mask == nullptr || n == nullptr) return TQRValue::Error();
        TQRValue result = TQRValue::String();
        if (!FormatNumber(mask->Text(), n->Number(), FormatSettings(), result)) {
            return TQRValue::Error("Invalid format or value specified");
        }
        return result;
    }
};

template <bool kTime>
class TQRNowFunction : public TQRLibraryFunction {
public:
    TQRNowFunction() : TQRLibraryFunction(kTime ? "TIME" : "DATE") {}
    TQRValue Compute() override {
        if (ArgumentCount() > 0) return TQRValue::Error();
        const std::tm now = LocalNow();
        return TQRValue::String(kTime ? TimeText(now) : ShortDateText(now));
    }
};

constexpr TQRBuiltInFactory kFactories[] = {
    {"IF", &CreateFunctionElement<TQRIfFunction>},
    {"STR", &CreateFunctionElement<TQRStrFunction>},
    {"UPPER", &CreateFunctionElement<TQRUpperFunction>},
    {"LOWER", &CreateFunctionElement<TQRLowerFunction>},
    {"PRETTY", &CreateFunctionElement<TQRPrettyFunction>},
    {"TIME", &CreateFunctionElement<TQRNowFunction<true>>},
    {"DATE", &CreateFunctionElement<TQRNowFunction<false>>},
    {"COPY", &CreateFunctionElement<TQRCopyFunction>},
    {"TRUE", &CreateFunctionElement<TQRBooleanFunction<true>>},
    {"FALSE", &CreateFunctionElement<TQRBooleanFunction<false>>},
    {"TYPEOF", &CreateFunctionElement<TQRTypeOfFunction>},
    {"FORMATNUMERIC", &CreateFunctionElement<TQRFormatNumericFunction>},
    {"RIGHTSTR", &CreateFunctionElement<TQRSideStrFunction<false>>},
    {"LEFTSTR", &CreateFunctionElement<TQRSideStrFunction<true>>},
};

}  // namespace

TQRFunctionFactory TextFunctionFactory(std::string_view name) {
    for (const auto& f : kFactories) {
        if (f.name == name) return f.factory;
    }
    return nullptr;
}

}  // namespace quillon
