#include "expr/element.h"

#include <cstring>

namespace quillon {

TQREvElement* TQRFiFo::Append(std::unique_ptr<TQREvElement> element) {
    elements_.push_back(std::move(element));
    return elements_.back().get();
}

namespace {

// Byte-wise comparison as unsigned bytes; a prefix is smaller than the longer text.
int CompareBytes(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

template <typename T>
TQRValue Compare(TQROperator op, const T& a, const T& b) noexcept {
    switch (op) {
        case opLess:
            return TQRValue::Boolean(a < b);
        case opLessOrEqual:
            return TQRValue::Boolean(a <= b);
        case opGreater:
            return TQRValue::Boolean(a > b);
        case opGreaterOrEqual:
            return TQRValue::Boolean(a >= b);
        case opEqual:
            return TQRValue::Boolean(a == b);
        default:
            return TQRValue::Boolean(a != b);
    }
}

constexpr std::string_view kOperatorText[] = {"<", "<=", ">",  ">=", "=", "<>",
                                              "+", "-",  "OR", "*",  "/", "AND"};
constexpr std::string_view kVerb[] = {"add", "subtract", "", "multiply", "divide"};

constexpr const char* kNotCompatible = "Operator %s is not compatible with %s expressions";
constexpr const char* kCannot = "Cannot %s %s expressions";

bool IsComparison(TQROperator op) noexcept {
    return op <= opUnequal;
}

std::string_view Verb(TQROperator op) noexcept {
    return kVerb[op - opPlus];
}

std::int32_t Wrap(std::int64_t value) noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFF));
}

TQRValue IntegerOperation(TQROperator op, std::int32_t a, std::int32_t b) noexcept {
    switch (op) {
        case opPlus:
            return TQRValue::Integer(Wrap(std::int64_t{a} + b));
        case opMinus:
            return TQRValue::Integer(Wrap(std::int64_t{a} - b));
        case opMul:
            return TQRValue::Integer(Wrap(std::int64_t{a} * b));
        case opDiv:
            if (b == 0) return TQRValue::Error("Cannot divide by 0");
            return TQRValue::Float(static_cast<double>(a) / b);
        case opOr:
            return TQRValue::Integer(a | b);
        case opAnd:
            return TQRValue::Integer(a & b);
        default:
            return Compare(op, a, b);
    }
}

TQRValue FloatOperation(TQROperator op, double a, double b) noexcept {
    switch (op) {
        case opPlus:
            return TQRValue::Float(a + b);
        case opMinus:
            return TQRValue::Float(a - b);
        case opMul:
            return TQRValue::Float(a * b);
        case opDiv:
            if (b == 0) return TQRValue::Error("Cannot divide by 0");
            return TQRValue::Float(a / b);
        case opOr:
        case opAnd:
            return ErrorValue(kNotCompatible, kOperatorText[op], "numeric");
        default:
            return Compare(op, a, b);
    }
}

TQRValue StringOperation(TQROperator op, const TQRValue& a, const TQRValue& b) noexcept {
    if (IsComparison(op)) {
        const int c = CompareBytes(a.Text(), b.Text());
        return Compare(op, c, 0);
    }
    switch (op) {
        case opPlus: {
            TQRValue sum = a;
            sum.Append(b.Text());
            return sum;
        }
        case opOr:
        case opAnd:
            return ErrorValue(kNotCompatible, kOperatorText[op], "string");
        default:
            return ErrorValue(kCannot, Verb(op), "string");
    }
}

TQRValue BooleanOperation(TQROperator op, bool a, bool b) noexcept {
    switch (op) {
        case opEqual:
            return TQRValue::Boolean(a == b);
        case opUnequal:
            return TQRValue::Boolean(a != b);
        case opOr:
            return TQRValue::Boolean(a || b);
        case opAnd:
            return TQRValue::Boolean(a && b);
        default:
            if (IsComparison(op)) return ErrorValue(kNotCompatible, kOperatorText[op], "boolean");
            return ErrorValue(kCannot, Verb(op), "boolean");
    }
}

TQRValue AsString(const TQRValue& value) noexcept {
    TQRValue text = TQRValue::String();
    AppendValueText(text, value);
    return text;
}

}  // namespace

TQRValue ApplyOperator(TQROperator op, const TQRValue& left, const TQRValue& right) noexcept {
    if (left.IsError()) return left;
    if (right.IsError()) return right;
    if (left.Kind() != right.Kind()) {
        if (left.IsNumber() && right.IsNumber()) {
            return FloatOperation(op, left.Number(), right.Number());
        }
        return StringOperation(op, AsString(left), AsString(right));
    }
    switch (left.Kind()) {
        case vkInteger:
            return IntegerOperation(op, left.AsInteger(), right.AsInteger());
        case vkFloat:
            return FloatOperation(op, left.AsFloat(), right.AsFloat());
        case vkString:
            return StringOperation(op, left, right);
        default:
            return BooleanOperation(op, left.AsBoolean(), right.AsBoolean());
    }
}

namespace {

TQRValue Operand(TQRFiFo& list) {
    TQREvElement* element = list.Take();
    return element != nullptr ? element->Result(list) : TQRValue::Error();
}

}  // namespace

TQRValue TQREvElementOperator::Result(TQRFiFo& list) {
    const TQRValue left = Operand(list);
    const TQRValue right = Operand(list);
    return ApplyOperator(op_, left, right);
}

TQRValue TQREvElementNot::Result(TQRFiFo& list) {
    const TQRValue operand = Operand(list);
    if (operand.Kind() != vkBoolean) return TQRValue::Error("Invalid use of NOT");
    return TQRValue::Boolean(!operand.AsBoolean());
}

TQRValue TQREvElementDataField::Result(TQRFiFo&) {
    switch (dataset_->FieldType(field_)) {
        case ftString:
        case ftDate:
        case ftTime:
        case ftDateTime:
            return TQRValue::String(dataset_->FieldText(field_));
        case ftSmallint:
        case ftInteger:
        case ftWord:
            return TQRValue::Integer(dataset_->FieldInteger(field_));
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return TQRValue::Float(dataset_->FieldFloat(field_));
        case ftBoolean:
            return TQRValue::Boolean(dataset_->FieldBoolean(field_));
        default:
            return ErrorValue("Field %s is of unknown type", dataset_->FieldName(field_));
    }
}

void TQREvElementFunction::TakeArguments(TQRFiFo& list) {
    arguments_.clear();
    while (TQREvElement* element = list.Take()) {
        if (element->IsArgumentEnd()) break;
        arguments_.push_back(element->Result(list));
    }
}

TQRValue TQREvElementFunction::Result(TQRFiFo& list) {
    TakeArguments(list);
    if (list.Aggregate()) Accumulate();
    const TQRValue result = Compute();
    DropArguments();
    return result;
}

}  // namespace quillon
