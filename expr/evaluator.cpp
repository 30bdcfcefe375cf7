#include "expr/evaluator.h"

#include <charconv>
#include <string>
#include <system_error>

#include "expr/environment.h"
#include "expr/library.h"
#include "platform/core/cp1251.h"

namespace quillon {

namespace {

// Quotes, parentheses and brackets seen so far in a scan. Inside brackets quotes and
// parentheses do not count; a bracket opens only outside quotes.
struct ScanState {
    bool quote = false;
    bool bracket = false;
    int depth = 0;

    void Step(char c) noexcept {
        if (bracket) {
            if (c == ']') bracket = false;
            return;
        }
        if (c == '\'') {
            quote = !quote;
        } else if (!quote) {
            if (c == '[') {
                bracket = true;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')') {
                --depth;
            }
        }
    }
    // Operators count only here.
    bool AtTop() const noexcept { return !quote && !bracket && depth == 0; }
};

bool IsBlankByte(char c) noexcept {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text) noexcept {
    while (!text.empty() && IsBlankByte(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankByte(text.back())) text.remove_suffix(1);
    return text;
}

char AsciiUpper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool StartsWithWord(std::string_view text, std::string_view word) noexcept {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (AsciiUpper(text[i]) != word[i]) return false;
    }
    return true;
}

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// One of the two levels of chained operators: addition ("+", "-", OR) and multiplication
// ("*", "/", AND).
struct ChainLevel {
    char first;   // "+" or "*"
    char second;  // "-" or "/", after which the two swap meaning
    TQROperator firstOp;
    TQROperator secondOp;
    std::string_view word;  // "OR" or "AND", between blanks
    TQROperator wordOp;
};

constexpr ChainLevel kAddition{'+', '-', opPlus, opMinus, "OR", opOr};
constexpr ChainLevel kMultiplication{'*', '/', opMul, opDiv, "AND", opAnd};

class Parser {
public:
    Parser(const TQREvaluator& evaluator, TQRFiFo& list) : evaluator_(evaluator), list_(list) {}

    // Level 1: one comparison at most; both parts at level 2.
    void Comparison(std::string_view text, int depth) {
        ScanState state;
        const std::size_t n = text.size();
        for (std::size_t i = 0; i < n; ++i) {
            const char c = text[i];
            if (i > 0 && i + 1 < n && state.AtTop() && (c == '<' || c == '=' || c == '>')) {
                TQROperator op = opEqual;
                std::size_t length = 1;
                const char next = text[i + 1];
                if (c == '<') {
                    op = next == '>' ? opUnequal : (next == '=' ? opLessOrEqual : opLess);
                    length = next == '>' || next == '=' ? 2 : 1;
                } else if (c == '>') {
                    op = next == '=' ? opGreaterOrEqual : opGreater;
                    length = next == '=' ? 2 : 1;
                }
                if (depth >= TQREvaluator::kMaxDepth) {
                    Fail("Error in expression : %s", text);
                    return;
                }
                Emit(std::make_unique<TQREvElementOperator>(op));
                Chain(text.substr(0, i), depth + 1, kAddition);
                Chain(text.substr(i + length), depth + 1, kAddition);
                return;
            }
            state.Step(c);
        }
        Chain(text, depth, kAddition);
    }

private:
    // Levels 2 and 3. The leftmost operator splits; the left part is a term and the right part
    // is parsed again at the same level. After "-" (or "/") the right part's top-level "+" and
    // "-" (or "*" and "/") swap meaning, so that chains read from left to right: 10 - 4 + 3 is
    // 10 - (4 - 3). A sign that starts a right part is a sign of its number and keeps its
    // meaning (10--3 is 13). Done as a loop over one scan, so that long chains cost neither
    // recursion nor repeated scanning.
    void Chain(std::string_view text, int depth, const ChainLevel& level) {
        const std::size_t n = text.size();
        bool swapped = false;
        std::size_t start = 0;
        for (;;) {
            ScanState state;
            std::size_t opAt = std::string_view::npos;
            std::size_t opEnd = 0;
            TQROperator op = level.firstOp;
            for (std::size_t i = start; i < n && opAt == std::string_view::npos; ++i) {
                const char c = text[i];
                if (i > start && i + 1 < n && state.AtTop()) {
                    if (c == level.first || c == level.second) {
                        op = (c == level.first) != swapped ? level.firstOp : level.secondOp;
                        opAt = i;
                        opEnd = i + 1;
                    } else if (c == ' ' && i + 1 + level.word.size() < n &&
                               StartsWithWord(text.substr(i + 1), level.word) &&
                               text[i + 1 + level.word.size()] == ' ') {
                        op = level.wordOp;
                        opAt = i + 1;
                        opEnd = i + 1 + level.word.size();
                    }
                }
                state.Step(c);
            }
            if (opAt == std::string_view::npos) {
                Term(text.substr(start), depth, level);
                return;
            }
            if (depth >= TQREvaluator::kMaxDepth) {
                Fail("Error in expression : %s", text.substr(start));
                return;
            }
            Emit(std::make_unique<TQREvElementOperator>(op));
            Term(text.substr(start, opAt - start), depth + 1, level);
            if (op == level.secondOp) swapped = !swapped;
            start = opEnd;
            ++depth;
        }
    }

    void Term(std::string_view text, int depth, const ChainLevel& level) {
        if (&level == &kAddition) {
            Chain(text, depth, kMultiplication);
        } else {
            Factor(text, depth);
        }
    }

    void Factor(std::string_view raw, int depth) {
        const std::string_view text = Trim(raw);
        struct Nest {
            int& level;
            explicit Nest(int& l) : level(++l) {}
            ~Nest() { --level; }
        } nest(nesting_);
        if (depth >= TQREvaluator::kMaxDepth || nesting_ > TQREvaluator::kMaxNesting ||
            text.empty()) {
            Fail("Error in expression : %s", text);
            return;
        }
        if (StartsWithWord(text, "NOT")) {
            Emit(std::make_unique<TQREvElementNot>());
            Chain(text.substr(3), depth + 1, kAddition);
            return;
        }
        const char first = text.front();
        const char last = text.back();
        if (first == '\'') {
            if (text.size() >= 2 && last == '\'') {
                Emit(std::make_unique<TQREvElementString>(text.substr(1, text.size() - 2)));
            } else {
                Fail("Missing %s", "'");
            }
        } else if (first == '(') {
            if (text.size() >= 2 && last == ')') {
                Comparison(text.substr(1, text.size() - 2), depth + 1);
            } else {
                Fail("Missing %s", ")");
            }
        } else if (first == '+') {
            Factor(text.substr(1), depth + 1);
        } else if (first == '-') {
            // A negation is a subtraction from 0.
            std::string storage = "0-";
            storage.append(text.substr(1));
            Chain(storage, depth + 1, kAddition);
        } else if (IsDigit(first)) {
            Number(text);
        } else if (IsLetter(first)) {
            NameOrCall(text, depth);
        } else if (first == '[') {
            if (text.size() >= 2 && last == ']') {
                Variable(text.substr(1, text.size() - 2));
            } else {
                Fail("Missing %s", "]");
            }
        } else {
            Fail("Error in expression : %s", text);
        }
    }

    // Digits alone make an integer (a float when it does not fit in 32 bits); digits followed
    // by "+", "-", ".", digits and "E" make a float, always with "." as decimal point.
    void Number(std::string_view text) {
        std::size_t i = 0;
        while (i < text.size() && IsDigit(text[i])) ++i;
        const char* begin = text.data();
        const char* end = text.data() + text.size();
        if (i == text.size()) {
            std::int32_t integer = 0;
            const auto r = std::from_chars(begin, end, integer);
            if (r.ec == std::errc() && r.ptr == end) {
                Emit(std::make_unique<TQREvElementConstant>(TQRValue::Integer(integer)));
                return;
            }
        } else {
            for (std::size_t j = i; j < text.size(); ++j) {
                const char c = text[j];
                if (!IsDigit(c) && c != '+' && c != '-' && c != '.' && c != 'E' && c != 'e') {
                    Fail("Illegal character in numeric contant \"%s\"", text);
                    return;
                }
            }
        }
        double value = 0;
        const auto r = std::from_chars(begin, end, value);
        if (r.ec != std::errc() || r.ptr != end) {
            Fail("Illegal character in numeric contant \"%s\"", text);
            return;
        }
        Emit(std::make_unique<TQREvElementConstant>(TQRValue::Float(value)));
    }

    void NameOrCall(std::string_view text, int depth) {
        std::string_view name = text;
        std::string_view arguments;
        const std::size_t open = text.find('(');
        if (open != std::string_view::npos) {
            if (text.back() == ')') {
                name = text.substr(0, open);
                arguments = text.substr(open + 1, text.size() - open - 2);
            } else {
                name = {};
            }
        }
        const std::string upper = UpperCp1251(name);
        const TQRLibraryEntry* entry = QRFunctionLibrary().Find(upper);
        if (entry == nullptr) {
            if (!arguments.empty()) {
                Fail("Unknown function : %s", upper);
            } else {
                Variable(upper);
            }
            return;
        }
        if (depth >= TQREvaluator::kMaxDepth) {
            Fail("Error in expression : %s", text);
            return;
        }
        auto function = entry->factory();
        TQREvElementFunction* call = function.get();
        Emit(std::move(function));
        // Arguments split at top-level commas; a comma that ends the remaining text does not
        // split.
        std::size_t pieceStart = 0;
        ScanState state;
        const std::size_t n = arguments.size();
        std::size_t reserved = arguments.empty() ? 0 : 1;
        for (std::size_t i = 0; i < n; ++i) {
            if (arguments[i] == ',' && state.AtTop() && i + 1 < n) ++reserved;
            state.Step(arguments[i]);
        }
        call->ReserveArguments(reserved);
        state = ScanState();
        for (std::size_t i = 0; i < n; ++i) {
            if (arguments[i] == ',' && state.AtTop() && i + 1 < n) {
                Comparison(arguments.substr(pieceStart, i - pieceStart), depth + 1);
                pieceStart = i + 1;
                continue;
            }
            state.Step(arguments[i]);
        }
        if (!arguments.empty()) Comparison(arguments.substr(pieceStart), depth + 1);
        Emit(std::make_unique<TQREvElementArgumentEnd>());
    }

    // A field of a dataset, or a name of the environments.
    void Variable(std::string_view name) {
        if (const TQRDatasetList* datasets = evaluator_.Datasets()) {
            const std::size_t dot = name.find('.');
            const std::string_view datasetName =
                dot == std::string_view::npos ? std::string_view() : name.substr(0, dot);
            const std::string_view fieldName =
                dot == std::string_view::npos ? name : name.substr(dot + 1);
            for (TQRDataset* dataset : *datasets) {
                if (dataset == nullptr) continue;
                if (!datasetName.empty() && !SameTextCp1251(dataset->Name(), datasetName)) continue;
                const int field = dataset->FindField(fieldName);
                if (field >= 0) {
                    Emit(std::make_unique<TQREvElementDataField>(dataset, field));
                    return;
                }
                if (!datasetName.empty()) break;
            }
        }
        TQREvEnvironment* own = evaluator_.Environment();
        if (own != nullptr && own->Contains(name)) {
            Emit(own->CreateWrapper(name));
        } else {
            Emit(GlobalEnvironment().CreateWrapper(name));
        }
    }

    void Fail(std::string_view format, std::string_view parameter) {
        Emit(std::make_unique<TQREvElementError>(ErrorValue(format, parameter)));
    }

    void Emit(std::unique_ptr<TQREvElement> element) { list_.Append(std::move(element)); }

    const TQREvaluator& evaluator_;
    TQRFiFo& list_;
    int nesting_ = 0;
};

}  // namespace

TQREvaluator::~TQREvaluator() {
    Discard();
}

void TQREvaluator::Compile(std::string_view expression) {
    if (prepared_) Discard();
    TQREvEnvironment& global = GlobalEnvironment();
    // The global environment's own functions do not hold it: it prepares them itself.
    if (environment_ != &global) {
        global.Compile();
        heldGlobal_ = &global;
    }
    try {
        auto list = std::make_unique<TQRFiFo>();
        Parser(*this, *list).Comparison(expression.empty() ? "' '" : expression, 0);
        list_ = std::move(list);
        prepared_ = true;
    } catch (...) {
        Discard();
        throw;
    }
}

void TQREvaluator::Discard() noexcept {
    list_.reset();
    if (heldGlobal_ != nullptr) {
        TQREvEnvironment* global = heldGlobal_;
        heldGlobal_ = nullptr;
        global->Discard();
    }
    prepared_ = false;
}

TQRValue TQREvaluator::Result() {
    if (!prepared_) throw EQRError("Evaluator not prepared");
    list_->Rewind();
    TQREvElement* first = list_->Take();
    return first != nullptr ? first->Result(*list_) : TQRValue::Error();
}

void TQREvaluator::Restart() {
    if (!prepared_) return;
    for (std::size_t i = 0; i < list_->Count(); ++i) list_->At(i)->Restart();
}

void TQREvaluator::AggregatePass() {
    struct Flag {
        TQREvaluator& evaluator;
        ~Flag() { evaluator.SetAggregating(false); }
    } flag{*this};
    SetAggregating(true);
    (void)Result();
}

bool TQREvaluator::HasAggregates() const noexcept {
    if (!prepared_) return false;
    for (std::size_t i = 0; i < list_->Count(); ++i) {
        if (list_->At(i)->IsAggregate()) return true;
    }
    return false;
}

void TQREvaluator::SetAggregating(bool aggregating) noexcept {
    if (list_) list_->SetAggregate(aggregating);
}

TQRValue TQREvaluator::Calculate(std::string_view expression) {
    Compile(expression);
    const TQRValue value = Result();
    Discard();
    return value;
}

TQRDatasetList& TQREvaluator::DatasetList() {
    if (datasets_ == nullptr) {
        ownedDatasets_ = std::make_unique<TQRDatasetList>();
        datasets_ = ownedDatasets_.get();
    }
    return *datasets_;
}

void TQREvaluator::SetDatasetList(TQRDatasetList* list) {
    if (list == datasets_) return;
    if (ownedDatasets_ && ownedDatasets_.get() != list) ownedDatasets_.reset();
    datasets_ = list;
}

}  // namespace quillon
