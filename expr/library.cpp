#include "expr/library.h"

#include "expr/dataset.h"
#include "expr/functions.h"

namespace quillon {

const TQRLibraryEntry* TQRLibrary::Find(std::string_view name) const noexcept {
    for (const auto& entry : entries_) {
        if (SameTextCp1251(entry.name, name)) return &entry;
    }
    return nullptr;
}

void TQRFunctionLibrary::AddFunctionClass(TQRFunctionFactory factory, std::string_view name,
                                          std::string_view description, std::string_view data,
                                          std::string_view vendor) {
    Add({std::string(name), std::string(description), std::string(data), std::string(vendor),
         factory});
}

void TQRFunctionLibrary::Register(TQRFunctionFactory factory) {
    const auto sample = factory();
    AddFunctionClass(factory, sample->Name(), sample->Description(), sample->ArgumentSpec(),
                     sample->Vendor());
}

std::unique_ptr<TQREvElement> TQRFunctionLibrary::CreateElement(std::string_view name) const {
    if (const TQRLibraryEntry* entry = Find(name)) return entry->factory();
    return std::make_unique<TQREvElementError>(ErrorValue("Unknown function : %s", name));
}

TQRFunctionLibrary& QRFunctionLibrary() {
    static TQRFunctionLibrary library;
    static const bool registered = (RegisterBuiltInFunctions(library), true);
    (void)registered;
    return library;
}

}  // namespace quillon
