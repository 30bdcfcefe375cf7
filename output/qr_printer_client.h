#pragma once

#include <functional>
#include <memory>

#include "platform/core/messages.h"

namespace quillon {

class TQRPrinter;

// A window that refers to a report printer: the preview control that shows its pages, or the
// window that shows its progress. It receives the printer's posted progress (U) and
// page-available (U + 1) messages, and is told when the printer goes away so that it never
// touches a freed printer.
class TQRPrinterClient : public MessageTarget {
public:
    // `printer` is being destroyed: forget every reference to it.
    virtual void PrinterDestroyed(TQRPrinter& printer) = 0;
};

// The progress window of printing: shown while pages go to a printer, with a button that asks
// the printer to cancel.
class TQRProgressWindow : public TQRPrinterClient {
public:
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
};

// Where progress windows come from. The widget layer registers its progress form at start-up;
// without one (headless, tests) printing shows no progress window.
using ProgressWindowFactory = std::function<std::unique_ptr<TQRProgressWindow>(TQRPrinter&)>;

// Replaces the factory; an empty one means no progress window.
void RegisterProgressWindow(ProgressWindowFactory factory);
// A new progress window tied to `printer`, or none.
std::unique_ptr<TQRProgressWindow> CreateProgressWindow(TQRPrinter& printer);

}  // namespace quillon
