#include "expr/environment.h"

#include "expr/format_settings.h"
#include "platform/core/cp1251.h"

namespace quillon {

TQREvEmbeddedFunction::TQREvEmbeddedFunction(std::string expression, TQREvEnvironment* environment)
    : expression_(std::move(expression)), environment_(environment) {}

TQRValue TQREvEmbeddedFunction::Value() {
    if (evaluating_) return TQRValue::Error("Recursive calls not allowed");
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(evaluating_);
    if (evaluator_.Prepared()) return evaluator_.Result();
    // Outside a prepared run the expression is evaluated from its text.
    TQREvaluator once;
    once.SetEnvironment(environment_);
    if (environment_ != nullptr) once.SetDatasetList(environment_->Datasets());
    return once.Calculate(expression_);
}

void TQREvEmbeddedFunction::Prepare(TQRDatasetList* datasets) {
    evaluator_.SetEnvironment(environment_);
    evaluator_.SetDatasetList(datasets);
    evaluator_.Compile(expression_);
}

void TQREvEmbeddedFunction::Unprepare() noexcept {
    evaluator_.Discard();
}

TQREvEnvironment::~TQREvEnvironment() {
    if (prepareCount_ > 0) {
        prepareCount_ = 1;
        Discard();
    }
    Detach();
}

void TQREvEnvironment::Detach() noexcept {
    for (auto& entry : entries_) {
        entry.function->environment_ = nullptr;
        entry.function->evaluator_.SetEnvironment(nullptr);
        entry.function->evaluator_.SetDatasetList(nullptr);
    }
}

TQREvEmbeddedFunction* TQREvEnvironment::Find(std::string_view name) const noexcept {
    for (const auto& entry : entries_) {
        if (SameTextCp1251(entry.name, name)) return entry.function.get();
    }
    return nullptr;
}

void TQREvEnvironment::AddFunction(std::string_view name, std::string_view expression) {
    if (Contains(name)) return;
    auto function = std::make_shared<TQREvEmbeddedFunction>(std::string(expression), this);
    entries_.push_back({UpperCp1251(name), function});
    if (Compiled()) function->Prepare(datasets_);
}

bool TQREvEnvironment::RemoveFunction(std::string_view name) {
    if (Compiled()) return false;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (SameTextCp1251(it->name, name)) {
            it->function->environment_ = nullptr;
            entries_.erase(it);
            break;
        }
    }
    return true;
}

bool TQREvEnvironment::Clear() {
    if (Compiled()) return false;
    Detach();
    entries_.clear();
    return true;
}

std::unique_ptr<TQREvElement> TQREvEnvironment::CreateWrapper(std::string_view name) const {
    for (const auto& entry : entries_) {
        if (SameTextCp1251(entry.name, name)) {
            return std::make_unique<TQREvElementWrapper>(entry.function);
        }
    }
    return std::make_unique<TQREvElementError>(ErrorValue("Unknown function : %s", name));
}

TQRValue TQREvEnvironment::Result(std::string_view name) const {
    TQREvEmbeddedFunction* function = Find(name);
    return function != nullptr ? function->Value() : TQRValue::Error();
}

TQREvElement* TQREvEnvironment::ConstantElement(std::string_view name) const {
    TQREvEmbeddedFunction* function = Find(name);
    if (function == nullptr || !function->Prepared()) return nullptr;
    const TQRFiFo* list = function->Evaluator().Elements();
    return list != nullptr && list->Count() > 0 ? list->At(0) : nullptr;
}

void TQREvEnvironment::StoreInteger(TQREvElement* element, std::int32_t value) const {
    if (auto* constant = dynamic_cast<TQREvElementConstant*>(element)) {
        constant->SetValue(TQRValue::Integer(value));
    }
}

void TQREvEnvironment::StoreText(TQREvElement* element, std::string_view text) const {
    if (auto* string = dynamic_cast<TQREvElementString*>(element)) string->SetText(text);
}

void TQREvEnvironment::StoreValue(TQREvElement* element, const TQRValue& value) const {
    if (auto* constant = dynamic_cast<TQREvElementConstant*>(element)) {
        constant->SetValue(value);
    } else if (auto* string = dynamic_cast<TQREvElementString*>(element)) {
        if (value.Kind() == vkString) string->SetText(value.Text());
    }
}

void TQREvEnvironment::Compile() {
    if (prepareCount_++ > 0) return;
    try {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            // A copy: preparing may not add functions, but the list must not move under us.
            auto function = entries_[i].function;
            function->Prepare(datasets_);
        }
    } catch (...) {
        Discard();
        throw;
    }
}

void TQREvEnvironment::Discard() noexcept {
    if (prepareCount_ == 0) return;
    if (--prepareCount_ > 0) return;
    for (auto& entry : entries_) entry.function->Unprepare();
}

TQRDatasetList& TQREvEnvironment::DatasetList() {
    if (datasets_ == nullptr) {
        ownedDatasets_ = std::make_unique<TQRDatasetList>();
        datasets_ = ownedDatasets_.get();
    }
    return *datasets_;
}

void TQREvEnvironment::SetDatasetList(TQRDatasetList* list) {
    if (list == datasets_) return;
    if (ownedDatasets_ && ownedDatasets_.get() != list) ownedDatasets_.reset();
    datasets_ = list;
}

std::vector<std::string> TQREvEnvironment::Expressions() const {
    std::vector<std::string> texts;
    texts.reserve(entries_.size());
    for (const auto& entry : entries_) texts.push_back(entry.function->Expression());
    return texts;
}

bool TQREvEnvironment::ReadStoredForm(const std::vector<std::string>& names,
                                      const std::vector<std::string>& expressions) {
    if (!Clear()) return false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        AddFunction(names[i], i < expressions.size() ? expressions[i] : std::string());
    }
    return true;
}

std::unique_ptr<TQREvEnvironment> NewReportEnvironment() {
    auto environment = std::make_unique<TQREvEnvironment>();
    environment->AddFunction("PAGENUMBER", "0");
    environment->AddFunction("COLUMNNUMBER", "0");
    environment->AddFunction("REPORTTITLE", "''");
    return environment;
}

namespace {

std::unique_ptr<TQREvEnvironment>& GlobalSlot() {
    static std::unique_ptr<TQREvEnvironment> global;
    return global;
}

std::unique_ptr<TQREvEnvironment> NewGlobalEnvironment(std::string_view appName) {
    auto environment = std::make_unique<TQREvEnvironment>();
    const std::tm now = LocalNow();
    environment->AddFunction("AppStartTime", "'" + TimeText(now) + "'");
    environment->AddFunction("AppStartDate", "'" + ShortDateText(now) + "'");
    environment->AddFunction("AppName", "'" + std::string(appName) + "'");
    return environment;
}

}  // namespace

TQREvEnvironment& GlobalEnvironment() {
    auto& global = GlobalSlot();
    if (!global) global = NewGlobalEnvironment("Quillon");
    return *global;
}

void CreateGlobalEnvironment(std::string_view appName) {
    auto& global = GlobalSlot();
    if (global && global->Compiled()) {
        throw EQRError("The global environment is in use");
    }
    global = NewGlobalEnvironment(appName);
}

}  // namespace quillon
