#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "expr/dataset.h"
#include "expr/value.h"

namespace quillon {

class TQRFiFo;

// One node of a prepared expression. Elements sit in prefix order in a TQRFiFo; an element
// with operands or arguments takes them from the list while it computes its value.
class TQREvElement {
public:
    TQREvElement() = default;
    TQREvElement(const TQREvElement&) = delete;
    TQREvElement& operator=(const TQREvElement&) = delete;
    virtual ~TQREvElement() = default;

    bool IsAggregate() const noexcept { return aggregate_; }

    virtual TQRValue Result(TQRFiFo& list) = 0;
    // Forgets accumulated state.
    virtual void Restart() {}

    // True only for the marker that ends a function's arguments.
    virtual bool IsArgumentEnd() const noexcept { return false; }

protected:
    void SetIsAggregate(bool aggregate) noexcept { aggregate_ = aggregate; }

private:
    bool aggregate_ = false;
};

// The element list of a prepared expression, with a read position. It owns its elements.
class TQRFiFo {
public:
    TQRFiFo() = default;
    TQRFiFo(const TQRFiFo&) = delete;
    TQRFiFo& operator=(const TQRFiFo&) = delete;

    TQREvElement* Append(std::unique_ptr<TQREvElement> element);
    void Rewind() noexcept { position_ = 0; }
    // The element at the read position, advancing it; nullptr when the list is exhausted.
    TQREvElement* Take() noexcept {
        return position_ < elements_.size() ? elements_[position_++].get() : nullptr;
    }

    bool Aggregate() const noexcept { return aggregate_; }
    void SetAggregate(bool aggregate) noexcept { aggregate_ = aggregate; }

    std::size_t Count() const noexcept { return elements_.size(); }
    TQREvElement* At(std::size_t index) const noexcept { return elements_[index].get(); }

private:
    std::vector<std::unique_ptr<TQREvElement>> elements_;
    std::size_t position_ = 0;
    bool aggregate_ = false;
};

// Operator codes, in the order of their numbers.
enum TQROperator : std::uint8_t {
    opLess,
    opLessOrEqual,
    opGreater,
    opGreaterOrEqual,
    opEqual,
    opUnequal,
    opPlus,
    opMinus,
    opOr,
    opMul,
    opDiv,
    opAnd,
};

// Combines two operand values by an operator (unifying their kinds first).
TQRValue ApplyOperator(TQROperator op, const TQRValue& left, const TQRValue& right) noexcept;

class TQREvElementOperator : public TQREvElement {
public:
    explicit TQREvElementOperator(TQROperator op) : op_(op) {}
    TQROperator Operator() const noexcept { return op_; }
    TQRValue Result(TQRFiFo& list) override;

private:
    TQROperator op_;
};

// A number of the expression text. Report generation may replace its value.
class TQREvElementConstant : public TQREvElement {
public:
    explicit TQREvElementConstant(const TQRValue& value) : value_(value) {}
    const TQRValue& Value() const noexcept { return value_; }
    void SetValue(const TQRValue& value) noexcept { value_ = value; }
    TQRValue Result(TQRFiFo&) override { return value_; }

private:
    TQRValue value_;
};

// A quoted string of the expression text. Report generation may replace its text.
class TQREvElementString : public TQREvElement {
public:
    explicit TQREvElementString(std::string_view text) : value_(TQRValue::String(text)) {}
    std::string_view Text() const noexcept { return value_.Text(); }
    void SetText(std::string_view text) noexcept { value_ = TQRValue::String(text); }
    TQRValue Result(TQRFiFo&) override { return value_; }

private:
    TQRValue value_;
};

class TQREvElementArgumentEnd : public TQREvElement {
public:
    TQRValue Result(TQRFiFo&) override { return TQRValue::Error(); }
    bool IsArgumentEnd() const noexcept override { return true; }
};

// A part of the text that is not a valid expression; its value is an error with the message.
class TQREvElementError : public TQREvElement {
public:
    explicit TQREvElementError(const TQRValue& error) : error_(error) {}
    explicit TQREvElementError(std::string_view message) : error_(TQRValue::Error(message)) {}
    TQRValue Result(TQRFiFo&) override { return error_; }

private:
    TQRValue error_;
};

// A field of a dataset, read again at every evaluation. The dataset is not owned; it must
// outlive the prepared expression.
class TQREvElementDataField : public TQREvElement {
public:
    TQREvElementDataField(const TQRDataset* dataset, int field)
        : dataset_(dataset), field_(field) {}
    TQRValue Result(TQRFiFo& list) override;

private:
    const TQRDataset* dataset_;
    int field_;
};

// "not" before a factor: the negation of a boolean operand.
class TQREvElementNot : public TQREvElement {
public:
    TQRValue Result(TQRFiFo& list) override;
};

// A function call. Result takes the argument values up to the argument-end marker, runs
// Accumulate during an aggregate pass, then Compute. Library functions override Accumulate,
// Compute and the four texts.
class TQREvElementFunction : public TQREvElement {
public:
    TQRValue Result(TQRFiFo& list) override;

    virtual void Accumulate() {}
    virtual TQRValue Compute() { return TQRValue::Error(); }

    virtual std::string_view Name() const { return {}; }
    virtual std::string_view Description() const { return {}; }
    virtual std::string_view Vendor() const { return {}; }
    virtual std::string_view ArgumentSpec() const { return {}; }

    // Room for this many argument values, so that evaluating does not allocate.
    void ReserveArguments(std::size_t count) { arguments_.reserve(count); }

protected:
    // Takes the argument values from the list up to the argument-end marker.
    void TakeArguments(TQRFiFo& list);
    void DropArguments() noexcept { arguments_.clear(); }

    std::size_t ArgumentCount() const noexcept { return arguments_.size(); }
    // The argument at a position (from 0); nullptr beyond the arguments present.
    const TQRValue* Argument(std::size_t index) const noexcept {
        return index < arguments_.size() ? &arguments_[index] : nullptr;
    }
    // The argument at a position known to be present.
    const TQRValue& ArgumentAt(std::size_t index) const noexcept { return arguments_[index]; }

private:
    std::vector<TQRValue> arguments_;
};

}  // namespace quillon
