#pragma once

#include <memory>
#include <string_view>

#include "expr/dataset.h"
#include "expr/element.h"
#include "expr/value.h"

namespace quillon {

class TQREvEnvironment;

// Prepares an expression text once into a flat list of elements in prefix order and evaluates
// that list as often as asked, without parsing again. Faults in the text become error values.
class TQREvaluator {
public:
    // Limits on hostile texts; parts beyond them become errors, so that neither parsing nor
    // evaluation can exhaust the stack or take long. Nesting counts parentheses, calls, signs
    // and NOT inside each other; depth counts the operators and calls from the top of the
    // expression down to its deepest part (a sum of n terms is n - 1 deep).
    static constexpr int kMaxNesting = 256;
    static constexpr int kMaxDepth = 2048;

    TQREvaluator() = default;
    TQREvaluator(const TQREvaluator&) = delete;
    TQREvaluator& operator=(const TQREvaluator&) = delete;
    ~TQREvaluator();

    // Parses the text into a fresh element list; an empty text counts as "' '".
    void Compile(std::string_view expression);
    void Discard() noexcept;
    bool Prepared() const noexcept { return prepared_; }

    // The expression's current value; raises EQRError "Evaluator not prepared" when not
    // prepared.
    TQRValue Result();
    // Makes every aggregate start again.
    void Restart();
    // Evaluates once with the aggregate flag set, so that aggregates accumulate.
    void AggregatePass();
    bool HasAggregates() const noexcept;
    void SetAggregating(bool aggregating) noexcept;

    // Prepares, evaluates and unprepares.
    TQRValue Calculate(std::string_view expression);

    // The environment searched before the global one (not owned; may be null).
    TQREvEnvironment* Environment() const noexcept { return environment_; }
    void SetEnvironment(TQREvEnvironment* environment) noexcept { environment_ = environment; }

    // The datasets whose fields the expression may name. Asking for the list creates an empty
    // one that the evaluator owns when none was given; a list given is not owned.
    TQRDatasetList& DatasetList();
    void SetDatasetList(TQRDatasetList* list);
    bool HasDatasetList() const noexcept { return datasets_ != nullptr; }
    const TQRDatasetList* Datasets() const noexcept { return datasets_; }

    // The prepared element list (null when not prepared), for inspection.
    const TQRFiFo* Elements() const noexcept { return list_.get(); }

private:
    bool prepared_ = false;
    std::unique_ptr<TQRFiFo> list_;
    TQREvEnvironment* environment_ = nullptr;
    TQRDatasetList* datasets_ = nullptr;
    std::unique_ptr<TQRDatasetList> ownedDatasets_;
    // The global environment this evaluator prepared, to unprepare it again.
    TQREvEnvironment* heldGlobal_ = nullptr;
};

}  // namespace quillon
