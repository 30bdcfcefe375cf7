// Arithmetic, trigonometric, hyperbolic and unit-conversion functions.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <utility>

#include "expr/functions.h"
#include "platform/core/rounding.h"

namespace quillon {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// "Zero" and "one" of the table's special cases.
bool IsZero(double x) noexcept {
    return std::fabs(x) <= 1e-16;
}
bool SameValue(double x, double y) noexcept {
    return std::fabs(x - y) <= 1e-16 * std::fmax(std::fabs(x), std::fabs(y));
}

// A number taken as a 32-bit integer: integers as they are, floats truncated or rounded.
// False when the float has no integer value in range.
template <typename Convert>
bool ToInteger(const TQRValue& v, Convert convert, std::int32_t& out) noexcept {
    if (v.Kind() == vkInteger) {
        out = v.AsInteger();
        return true;
    }
    const double x = v.AsFloat();
    if (!std::isfinite(x)) return false;
    const double whole = convert(x);
    if (whole < -2147483648.0 || whole > 2147483647.0) return false;
    out = static_cast<std::int32_t>(whole);
    return true;
}

double Truncate(double x) noexcept {
    return std::trunc(x);
}
double RoundEven(double x) noexcept {
    // RoundHalfEven saturates far outside the 32-bit range; the range check above catches it.
    return static_cast<double>(RoundHalfEven(x));
}

class TQRIntFunction : public TQRLibraryFunction {
public:
    TQRIntFunction() : TQRLibraryFunction("INT") {}
    TQRValue Compute() override {
        const TQRValue* x = NumberArgument(0);
        std::int32_t value = 0;
        if (ArgumentCount() != 1 || x == nullptr || !ToInteger(*x, Truncate, value)) {
            return ErrorValue("Wrong arguments for %s", "INT");
        }
        return TQRValue::Integer(value);
    }
};

class TQRFracFunction : public TQRLibraryFunction {
public:
    TQRFracFunction() : TQRLibraryFunction("FRAC") {}
    TQRValue Compute() override {
        const TQRValue* x = NumberArgument(0);
        if (ArgumentCount() != 1 || x == nullptr) return TQRValue::Error();
        if (x->Kind() == vkInteger) return TQRValue::Float(0);
        return TQRValue::Float(x->AsFloat() - std::trunc(x->AsFloat()));
    }
};

class TQRSqrtFunction : public TQRLibraryFunction {
public:
    TQRSqrtFunction() : TQRLibraryFunction("SQRT") {}
    TQRValue Compute() override {
        const TQRValue* x = NumberArgument(0);
        if (ArgumentCount() != 1 || x == nullptr || x->Number() < 0) {
            return TQRValue::Error("Invalid argument to SQRT function");
        }
        return TQRValue::Float(std::sqrt(x->Number()));
    }
};

class TQRDivFunction : public TQRLibraryFunction {
public:
    TQRDivFunction() : TQRLibraryFunction("DIV") {}
    TQRValue Compute() override {
        const TQRValue* x = NumberArgument(0);
        const TQRValue* y = NumberArgument(1);
        std::int32_t a = 0;
        std::int32_t b = 0;
        if (ArgumentCount() != 2 || x == nullptr || y == nullptr || !ToInteger(*x, RoundEven, a) ||
            !ToInteger(*y, RoundEven, b)) {
            return ErrorValue("Wrong arguments for %s", "DIV");
        }
        if (b == 0) return TQRValue::Error("Division by Zero");
        // The one quotient outside the 32-bit range.
        if (a == std::numeric_limits<std::int32_t>::min() && b == -1) {
            return ErrorValue("Wrong arguments for %s", "DIV");
        }
        return TQRValue::Integer(a / b);
    }
};

class TQRHypotFunction : public TQRLibraryFunction {
public:
    TQRHypotFunction() : TQRLibraryFunction("HYPOT") {}
    TQRValue Compute() override {
        const TQRValue* x = ArgumentOf(0, vkFloat);
        const TQRValue* y = ArgumentOf(1, vkFloat);
        if (ArgumentCount() != 2 || x == nullptr || y == nullptr) return TQRValue::Error();
        double larger = std::fabs(x->AsFloat());
        double smaller = std::fabs(y->AsFloat());
        if (std::isnan(larger) || std::isnan(smaller)) return TQRValue::Float(larger + smaller);
        if (smaller > larger) std::swap(larger, smaller);
        if (larger == 0) return TQRValue::Float(0);
        if (std::isinf(larger)) return TQRValue::Float(kInfinity);
        const double ratio = smaller / larger;
        return TQRValue::Float(larger * std::sqrt(1 + ratio * ratio));
    }
};

double IntegerPower(double base, std::int64_t exponent) noexcept {
    std::uint64_t n =
        exponent < 0 ? static_cast<std::uint64_t>(-exponent) : static_cast<std::uint64_t>(exponent);
    double result = 1;
    while (n != 0) {
        if ((n & 1) != 0) result *= base;
        base *= base;
        n >>= 1;
    }
    return exponent < 0 ? 1 / result : result;
}

class TQRPowerFunction : public TQRLibraryFunction {
public:
    TQRPowerFunction() : TQRLibraryFunction("POWER") {}
    TQRValue Compute() override {
        const TQRValue* base = NumberArgument(0);
        const TQRValue* exponent = NumberArgument(1);
        if (ArgumentCount() != 2 || base == nullptr || exponent == nullptr) {
            return TQRValue::Error();
        }
        const double x = base->Number();
        const double y = exponent->Number();
        if (y == 0) return TQRValue::Float(1);
        if (x == 0 && y > 0) return TQRValue::Float(0);
        if (std::trunc(y) == y && std::fabs(y) <= 2147483647.0) {
            return TQRValue::Float(IntegerPower(x, static_cast<std::int64_t>(y)));
        }
        return TQRValue::Float(std::exp(y * std::log(x)));
    }
};

// One-argument functions: an integer or a float in, a float out.
double Cosh(double x) noexcept {
    return IsZero(x) ? 1 : (std::exp(x) + std::exp(-x)) / 2;
}
double Sinh(double x) noexcept {
    return IsZero(x) ? 0 : (std::exp(x) - std::exp(-x)) / 2;
}
// The quotient of the two exponential forms overflows to infinity / infinity for large X.
double Tanh(double x) noexcept {
    return IsZero(x) ? 0 : std::tanh(x);
}
double ArcCos(double x) noexcept {
    return std::atan2(std::sqrt(1 - x * x), x);
}
// ln(X + sqrt(X^2 + 1)) loses everything to cancellation for large negative X.
double ArcSinh(double x) noexcept {
    return std::asinh(x);
}

double RadToDeg(double x) noexcept {
    return x * (180 / kPi);
}
double RadToGrad(double x) noexcept {
    return x * (200 / kPi);
}
double RadToCycle(double x) noexcept {
    return x / (2 * kPi);
}
double DegToRad(double x) noexcept {
    return x * (kPi / 180);
}
double GradToRad(double x) noexcept {
    return x * (kPi / 200);
}
double CycleToRad(double x) noexcept {
    return x * (2 * kPi);
}

struct TQRMathEntry {
    std::string_view name;
    double (*function)(double) noexcept;
};

// clang-format off
constexpr TQRMathEntry kMath[] = {
    {"ARCCOS", ArcCos},
    {"COS", [](double x) noexcept { return std::cos(x); }},
    {"SIN", [](double x) noexcept { return std::sin(x); }},
    {"TAN", [](double x) noexcept { return std::tan(x); }},
    {"COTAN", [](double x) noexcept { return 1 / std::tan(x); }},
    {"SECANT", [](double x) noexcept { return 1 / std::cos(x); }},
    {"COSECANT", [](double x) noexcept { return 1 / std::sin(x); }},
    {"RADTODEG", RadToDeg},
    {"RADTOGRAD", RadToGrad},
    {"RADTOCYCLE", RadToCycle},
    {"DEGTORAD", DegToRad},
    {"DEGTOGRAD", [](double x) noexcept { return RadToGrad(DegToRad(x)); }},
    {"DEGTOCYCLE", [](double x) noexcept { return RadToCycle(DegToRad(x)); }},
    {"GRADTORAD", GradToRad},
    {"GRADTODEG", [](double x) noexcept { return RadToDeg(GradToRad(x)); }},
    {"GRADTOCYCLE", [](double x) noexcept { return RadToCycle(GradToRad(x)); }},
    {"CYCLETORAD", CycleToRad},
    {"CYCLETODEG", [](double x) noexcept { return RadToDeg(CycleToRad(x)); }},
    {"CYCLETOGRAD", [](double x) noexcept { return RadToGrad(CycleToRad(x)); }},
    {"COSH", Cosh},
    {"SINH", Sinh},
    {"TANH", Tanh},
    {"COTH", [](double x) noexcept { return 1 / Tanh(x); }},
    {"SECH", [](double x) noexcept { return 1 / Cosh(x); }},
    {"CSCH", [](double x) noexcept { return 1 / Sinh(x); }},
    {"ARCCOT", [](double x) noexcept { return IsZero(x) ? kPi / 2 : std::atan2(1 / x, 1); }},
    {"ARCSEC", [](double x) noexcept { return IsZero(x) ? kInfinity : ArcCos(1 / x); }},
    {"ARCCOSH", [](double x) noexcept { return std::log(x + (x + 1) * std::sqrt((x - 1) / (x + 1))); }},
    {"ARCSINH", ArcSinh},
    {"ARCTANH", [](double x) noexcept {
        if (SameValue(x, 1)) return kInfinity;
        if (SameValue(x, -1)) return -kInfinity;
        return 0.5 * std::log((1 + x) / (1 - x));
    }},
    {"ARCCOTH", [](double x) noexcept {
        if (SameValue(x, 1)) return kInfinity;
        if (SameValue(x, -1)) return -kInfinity;
        return 0.5 * std::log((x + 1) / (x - 1));
    }},
    {"ARCSECH", [](double x) noexcept {
        if (IsZero(x)) return kInfinity;
        if (SameValue(x, 1)) return 0.0;
        return std::log((std::sqrt(1 - x * x) + 1) / x);
    }},
    // The inverse of the hyperbolic cosecant is ARCSINH of 1 / X; the logarithmic form cancels
    // to zero for small negative X.
    {"ARCCSCH", [](double x) noexcept { return ArcSinh(1 / x); }},
};
// clang-format on

template <std::size_t kIndex>
class TQRMathFunction : public TQRLibraryFunction {
public:
    TQRMathFunction() : TQRLibraryFunction(kMath[kIndex].name) {}
    TQRValue Compute() override {
        const TQRValue* x = NumberArgument(0);
        if (ArgumentCount() != 1 || x == nullptr) return TQRValue::Error();
        return TQRValue::Float(kMath[kIndex].function(x->Number()));
    }
};

template <std::size_t... kIndex>
constexpr auto MathFactories(std::index_sequence<kIndex...>) {
    return std::array<TQRFunctionFactory, sizeof...(kIndex)>{
        &CreateFunctionElement<TQRMathFunction<kIndex>>...};
}

constexpr auto kMathFactories = MathFactories(std::make_index_sequence<std::size(kMath)>());

constexpr TQRBuiltInFactory kFactories[] = {
    {"INT", &CreateFunctionElement<TQRIntFunction>},
    {"FRAC", &CreateFunctionElement<TQRFracFunction>},
    {"SQRT", &CreateFunctionElement<TQRSqrtFunction>},
    {"DIV", &CreateFunctionElement<TQRDivFunction>},
    {"HYPOT", &CreateFunctionElement<TQRHypotFunction>},
    {"POWER", &CreateFunctionElement<TQRPowerFunction>},
};

}  // namespace

TQRFunctionFactory MathFunctionFactory(std::string_view name) {
    for (const auto& f : kFactories) {
        if (f.name == name) return f.factory;
    }
    for (std::size_t i = 0; i < std::size(kMath); ++i) {
        if (kMath[i].name == name) return kMathFactories[i];
    }
    return nullptr;
}

}  // namespace quillon
