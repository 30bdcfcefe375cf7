#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "output/qr_printer.h"
#include "platform/core/services.h"
#include "tests/output/fake_printer.h"

namespace quillon::testing {

// Installs a message queue of its own and, when given, a printer system for one test; puts
// the headless defaults back afterwards.
class ScopedServices {
public:
    explicit ScopedServices(PrinterSystem* printers = nullptr, Shell* shell = nullptr) {
        PlatformServices services;
        services.messages = &queue;
        services.printers = printers;
        services.shell = shell;
        InstallPlatform(services);
    }
    ~ScopedServices() { InstallPlatform({}); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

    SimpleMessageQueue queue;
};

// A preview or progress window that keeps what it receives.
class RecordingClient : public TQRPrinterClient {
public:
    void HandleMessage(const Message& message) override { messages.push_back(message); }
    void PrinterDestroyed(TQRPrinter&) override { ++destroyedCalls; }

    // The parameters of the messages with this number, in order.
    std::vector<std::intptr_t> Params(unsigned id) const {
        std::vector<std::intptr_t> params;
        for (const Message& m : messages) {
            if (m.id == id) params.push_back(m.wParam);
        }
        return params;
    }

    std::vector<Message> messages;
    int destroyedCalls = 0;
};

// Records `pages` pages; page N carries the text "Page N". Leaves the printer prsFinished.
void RecordPages(TQRPrinter& printer, int pages);

// The start offset of page `page`'s record in the bytes of a report file, found by walking the
// chain.
std::size_t RecordStart(const std::string& file, int page);

}  // namespace quillon::testing
