#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "expr/element.h"

namespace quillon {

// Creates a new element of one function class.
using TQRFunctionFactory = std::unique_ptr<TQREvElementFunction> (*)();

template <typename T>
std::unique_ptr<TQREvElementFunction> CreateFunctionElement() {
    return std::make_unique<T>();
}

struct TQRLibraryEntry {
    std::string name;         // upper case, as the parser looks it up
    std::string description;  // syntax part, "|", then the description proper
    std::string data;         // argument specification: category digit, then N/S/B/V per argument
    std::string vendor;
    TQRFunctionFactory factory = nullptr;
};

// An ordered list of entries keyed by name; names compare without regard to case and the first
// entry of a name wins.
class TQRLibrary {
public:
    TQRLibrary() = default;
    TQRLibrary(const TQRLibrary&) = delete;
    TQRLibrary& operator=(const TQRLibrary&) = delete;
    virtual ~TQRLibrary() = default;

    int Count() const noexcept { return static_cast<int>(entries_.size()); }
    const TQRLibraryEntry& Entry(int index) const { return entries_.at(index); }
    // The entry of a name, or nullptr.
    const TQRLibraryEntry* Find(std::string_view name) const noexcept;

protected:
    void Add(TQRLibraryEntry entry) { entries_.push_back(std::move(entry)); }

private:
    std::vector<TQRLibraryEntry> entries_;
};

class TQRFunctionLibrary : public TQRLibrary {
public:
    void AddFunctionClass(TQRFunctionFactory factory, std::string_view name,
                          std::string_view description, std::string_view data,
                          std::string_view vendor);

    // Registers a function class with the texts its elements report.
    void Register(TQRFunctionFactory factory);
    template <typename T>
    void Register() {
        Register(&CreateFunctionElement<T>);
    }

    // A new element of the named function, or an error element "Unknown function : %s".
    std::unique_ptr<TQREvElement> CreateElement(std::string_view name) const;
};

// The program's function library with every built-in function, created on first use.
TQRFunctionLibrary& QRFunctionLibrary();

// Categories of the argument specifications, for editors.
inline constexpr std::string_view kFunctionCategories[] = {
    "All",      "Date & time", "Math & trig", "Statistical",
    "Database", "Logical",     "Information", "Other"};

}  // namespace quillon
