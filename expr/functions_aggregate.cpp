// Aggregates: they accumulate in aggregate passes and start over on Restart.

#include <cstdint>

#include "expr/functions.h"

namespace quillon {

namespace {

std::int32_t WrapAdd(std::int32_t a, std::int32_t b) noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// A kind that cannot be summed makes the running value an error; an error argument brings its
// own message.
TQRValue NotSummable(const TQRValue& argument) noexcept {
    return argument.IsError() ? argument : TQRValue::Error();
}

class TQRSumFunction : public TQRLibraryFunction {
public:
    TQRSumFunction() : TQRSumFunction("SUM") {}

    void Restart() override {
        taken_ = false;
        sum_ = TQRValue::Integer(0);
    }

    void Accumulate() override {
        if (ArgumentCount() != 1) {
            sum_ = TQRValue::Error();
            taken_ = true;
            return;
        }
        const TQRValue& x = ArgumentAt(0);
        if (!taken_) {
            sum_ = x.IsNumber() ? x : NotSummable(x);
            taken_ = true;
        } else if (sum_.IsError()) {
            // An error stays until the next Restart.
        } else if (!x.IsNumber()) {
            sum_ = NotSummable(x);
        } else if (x.Kind() == vkInteger && sum_.Kind() == vkInteger) {
            sum_ = TQRValue::Integer(WrapAdd(sum_.AsInteger(), x.AsInteger()));
        } else {
            // Integers and floats mixed: the sum continues as a float.
            sum_ = TQRValue::Float(sum_.Number() + x.Number());
        }
    }

    TQRValue Compute() override { return taken_ ? sum_ : TQRValue::Integer(0); }

protected:
    explicit TQRSumFunction(std::string_view name) : TQRLibraryFunction(name) {
        SetIsAggregate(true);
    }

    const TQRValue& Sum() const noexcept { return sum_; }

private:
    TQRValue sum_ = TQRValue::Integer(0);
    bool taken_ = false;
};

class TQRAverageFunction : public TQRSumFunction {
public:
    TQRAverageFunction() : TQRSumFunction("AVERAGE") {}

    void Restart() override {
        TQRSumFunction::Restart();
        count_ = 0;
        average_ = TQRValue::Float(0);
    }

    void Accumulate() override {
        TQRSumFunction::Accumulate();
        ++count_;
        const TQRValue& sum = Sum();
        if (sum.IsNumber()) {
            average_ = TQRValue::Float(sum.Number() / static_cast<double>(count_));
        } else {
            average_ = sum.IsError() ? sum : TQRValue::Error();
        }
    }

    TQRValue Compute() override { return average_; }

private:
    std::int64_t count_ = 0;
    TQRValue average_ = TQRValue::Integer(0);
};

// True when `a` comes after `b`: numbers by value, strings byte by byte, true after false;
// other pairs of kinds by their text forms, as the comparison operators do.
bool Greater(const TQRValue& a, const TQRValue& b) noexcept {
    if (a.Kind() == vkBoolean && b.Kind() == vkBoolean) return a.AsBoolean() && !b.AsBoolean();
    const TQRValue r = ApplyOperator(opGreater, a, b);
    return r.Kind() == vkBoolean && r.AsBoolean();
}

template <bool kMax>
class TQRExtremeFunction : public TQRLibraryFunction {
public:
    TQRExtremeFunction() : TQRLibraryFunction(kMax ? "MAX" : "MIN") { SetIsAggregate(true); }

    void Restart() override { taken_ = false; }

    void Accumulate() override {
        if (ArgumentCount() != 1) {
            value_ = TQRValue::Error();
            taken_ = true;
            return;
        }
        const TQRValue& x = ArgumentAt(0);
        if (!taken_) {
            value_ = x;
            taken_ = true;
        } else if (value_.IsError()) {
            // An error stays until the next Restart.
        } else if (x.IsError()) {
            value_ = x;
        } else if (kMax ? Greater(x, value_) : Greater(value_, x)) {
            value_ = x;
        }
    }

    TQRValue Compute() override { return taken_ ? value_ : TQRValue::Integer(0); }

private:
    TQRValue value_;
    bool taken_ = false;
};

class TQRCountFunction : public TQRLibraryFunction {
public:
    TQRCountFunction() : TQRLibraryFunction("COUNT") { SetIsAggregate(true); }

    void Restart() override { count_ = 0; }

    TQRValue Result(TQRFiFo& list) override {
        TakeArguments(list);
        const bool hasArguments = ArgumentCount() > 0;
        DropArguments();
        if (hasArguments) return TQRValue::Error("COUNT - Too many arguments");
        if (list.Aggregate()) count_ = WrapAdd(count_, 1);
        return TQRValue::Integer(count_);
    }

private:
    std::int32_t count_ = 0;
};

constexpr TQRBuiltInFactory kFactories[] = {
    {"SUM", &CreateFunctionElement<TQRSumFunction>},
    {"COUNT", &CreateFunctionElement<TQRCountFunction>},
    {"MAX", &CreateFunctionElement<TQRExtremeFunction<true>>},
    {"MIN", &CreateFunctionElement<TQRExtremeFunction<false>>},
    {"AVERAGE", &CreateFunctionElement<TQRAverageFunction>},
};

}  // namespace

TQRFunctionFactory AggregateFunctionFactory(std::string_view name) {
    for (const auto& f : kFactories) {
        if (f.name == name) return f.factory;
    }
    return nullptr;
}

}  // namespace quillon
