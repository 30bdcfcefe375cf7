#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "expr/dataset.h"
#include "expr/element.h"
#include "expr/evaluator.h"
#include "expr/value.h"

namespace quillon {

class TQREvEnvironment;

// A named expression of an environment, with an evaluator of its own.
class TQREvEmbeddedFunction {
public:
    TQREvEmbeddedFunction(std::string expression, TQREvEnvironment* environment);
    TQREvEmbeddedFunction(const TQREvEmbeddedFunction&) = delete;
    TQREvEmbeddedFunction& operator=(const TQREvEmbeddedFunction&) = delete;

    const std::string& Expression() const noexcept { return expression_; }

    // The expression's value: "Recursive calls not allowed" when the function is already being
    // evaluated; evaluated once from its text when the function is not prepared.
    TQRValue Value();

    void Prepare(TQRDatasetList* datasets);
    void Unprepare() noexcept;
    bool Prepared() const noexcept { return evaluator_.Prepared(); }
    void Restart() { evaluator_.Restart(); }
    TQREvaluator& Evaluator() noexcept { return evaluator_; }

private:
    friend class TQREvEnvironment;

    std::string expression_;
    TQREvaluator evaluator_;
    TQREvEnvironment* environment_;  // not owned; cleared when the environment goes
    bool evaluating_ = false;
};

// An element whose value is that of an environment's function. It keeps the function alive,
// so that it stays valid whatever happens to the environment.
class TQREvElementWrapper : public TQREvElement {
public:
    explicit TQREvElementWrapper(std::shared_ptr<TQREvEmbeddedFunction> function)
        : function_(std::move(function)) {}
    TQRValue Result(TQRFiFo&) override { return function_->Value(); }

private:
    std::shared_ptr<TQREvEmbeddedFunction> function_;
};

// A named set of expressions that other expressions use like variables. Names are kept in
// upper case and compared without regard to case. The environment is prepared while its prepare
// count is above 0; then every function's evaluator is prepared.
class TQREvEnvironment {
public:
    TQREvEnvironment() = default;
    TQREvEnvironment(const TQREvEnvironment&) = delete;
    TQREvEnvironment& operator=(const TQREvEnvironment&) = delete;
    ~TQREvEnvironment();

    // Adds a function unless the name exists already (that one keeps its expression). While the
    // environment is prepared, the new function is prepared at once.
    void AddFunction(std::string_view name, std::string_view expression);
    // Removing functions is refused (false) while the environment is prepared: prepared
    // expressions and the report's constant elements point into them.
    bool RemoveFunction(std::string_view name);
    bool Clear();

    int Count() const noexcept { return static_cast<int>(entries_.size()); }
    const std::string& Name(int index) const { return entries_.at(index).name; }
    TQREvEmbeddedFunction& Function(int index) const { return *entries_.at(index).function; }
    bool Contains(std::string_view name) const noexcept { return Find(name) != nullptr; }

    // A wrapper for the named function, or an error element "Unknown function : %s".
    std::unique_ptr<TQREvElement> CreateWrapper(std::string_view name) const;
    // The named function's value; an error without message for an absent name.
    TQRValue Result(std::string_view name) const;

    // The first element of the named function's prepared expression (its constant when the
    // expression is one number or string); null when absent or not prepared.
    TQREvElement* ConstantElement(std::string_view name) const;
    // Setters for constant elements; elements of other classes are left alone.
    void StoreInteger(TQREvElement* element, std::int32_t value) const;
    void StoreText(TQREvElement* element, std::string_view text) const;
    void StoreValue(TQREvElement* element, const TQRValue& value) const;

    void Compile();
    void Discard() noexcept;
    bool Compiled() const noexcept { return prepareCount_ > 0; }
    int PrepareCount() const noexcept { return prepareCount_; }

    // The datasets handed to the functions' evaluators; asking creates an owned empty list when
    // none was given.
    TQRDatasetList& DatasetList();
    void SetDatasetList(TQRDatasetList* list);
    TQRDatasetList* Datasets() const noexcept { return datasets_; }

    // The stored form: names and expression texts by position. Reading replaces all functions
    // (refused while prepared); a name without an expression text gets an empty one.
    std::vector<std::string> Expressions() const;
    bool ReadStoredForm(const std::vector<std::string>& names,
                        const std::vector<std::string>& expressions);

private:
    struct Entry {
        std::string name;
        std::shared_ptr<TQREvEmbeddedFunction> function;
    };

    TQREvEmbeddedFunction* Find(std::string_view name) const noexcept;
    void Detach() noexcept;

    std::vector<Entry> entries_;
    int prepareCount_ = 0;
    TQRDatasetList* datasets_ = nullptr;
    std::unique_ptr<TQRDatasetList> ownedDatasets_;
};

// A report's environment: PAGENUMBER "0", COLUMNNUMBER "0" and REPORTTITLE "''".
std::unique_ptr<TQREvEnvironment> NewReportEnvironment();

// The program-wide environment with APPSTARTTIME, APPSTARTDATE and APPNAME, searched after an
// evaluator's own environment. The program creates it at start, after setting its locale, with
// its title; until then the first use creates it with the title "Quillon".
TQREvEnvironment& GlobalEnvironment();
// Creates (or, when no expression holds it, replaces) the global environment. Raises
// EQRError when the current one is prepared.
void CreateGlobalEnvironment(std::string_view appName);

}  // namespace quillon
