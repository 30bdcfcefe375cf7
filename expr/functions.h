#pragma once

// Internal to the library: the base of the built-in function classes and their registration.

#include <string_view>

#include "expr/element.h"
#include "expr/library.h"

namespace quillon {

struct TQRFunctionTexts {
    std::string_view name;
    std::string_view data;         // argument specification
    std::string_view description;  // help text
};

inline constexpr std::string_view kBuiltInVendor = "Quillon";

// The texts of a built-in function by name; every built-in class has an entry.
const TQRFunctionTexts& BuiltInTexts(std::string_view name);

// A built-in function: its texts come from the table of built-in texts.
class TQRLibraryFunction : public TQREvElementFunction {
public:
    explicit TQRLibraryFunction(std::string_view name) : texts_(&BuiltInTexts(name)) {}

    std::string_view Name() const override { return texts_->name; }
    std::string_view Description() const override { return texts_->description; }
    std::string_view Vendor() const override { return kBuiltInVendor; }
    std::string_view ArgumentSpec() const override { return texts_->data; }

protected:
    // The argument at a position when it has the kind; nullptr otherwise.
    const TQRValue* ArgumentOf(std::size_t index, TQRValueKind kind) const noexcept {
        const TQRValue* v = Argument(index);
        return v != nullptr && v->Kind() == kind ? v : nullptr;
    }
    const TQRValue* NumberArgument(std::size_t index) const noexcept {
        const TQRValue* v = Argument(index);
        return v != nullptr && v->IsNumber() ? v : nullptr;
    }

private:
    const TQRFunctionTexts* texts_;
};

struct TQRBuiltInFactory {
    std::string_view name;
    TQRFunctionFactory factory;
};

// The factories of each source file's classes; nullptr for names it does not have.
TQRFunctionFactory TextFunctionFactory(std::string_view name);
TQRFunctionFactory AggregateFunctionFactory(std::string_view name);
TQRFunctionFactory MathFunctionFactory(std::string_view name);

// Registers every built-in function, in the library's order.
void RegisterBuiltInFunctions(TQRFunctionLibrary& library);

}  // namespace quillon
