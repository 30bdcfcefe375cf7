#pragma once

// A test double of the printer services: a printer object whose installed printers, settings
// record, field mask, paper list and failures a test chooses, and which logs the document
// calls and the pictures drawn on its pages instead of printing.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/canvas.h"
#include "platform/core/printer.h"

namespace quillon::testing {

// What a fake printer offers and how it fails.
struct FakePrinterSetup {
    std::vector<std::string> printers{"Fake"};
    std::optional<DeviceMode> mode =
        DeviceMode{DeviceMode::kOrientation | DeviceMode::kPaperSize | DeviceMode::kCopies |
                       DeviceMode::kDefaultSource | DeviceMode::kDuplex | DeviceMode::kCollate,
                   1,
                   9,
                   2970,
                   2100,
                   1,
                   7,
                   0,
                   0,
                   1,
                   0};
    std::vector<int> paperCodes{1, 5, 8, 9, 11, 256};
    DeviceCaps caps{600, 600, 4960, 7016, 100, 120, -1};  // A4 at 600 dots per inch
    bool acceptsRecords = true;                           // MergeDeviceMode's answer
    int failOnNewPage = 0;      // the n-th NewPage of a document raises EPrinterError
    bool failOnEndDoc = false;  // EndDoc raises, the document stays open
    bool failOnBeginDoc = false;
};

// One text drawn on a printer page (characters below 256 only).
struct DrawnText {
    int page = 0;
    std::string text;
};

// One picture drawn on a printer page.
struct DrawnPicture {
    int page = 0;  // 1-based page of the document
    std::vector<std::uint8_t> bytes;
    Rect target;
};

class FakePrinterDevice : public PrinterDevice {
public:
    explicit FakePrinterDevice(FakePrinterSetup setup);
    ~FakePrinterDevice() override;

    std::vector<std::string> Printers() override { return setup_.printers; }
    int PrinterIndex() override { return index_; }
    void SetPrinterIndex(int index) override;
    PrinterNames Names() override;
    std::optional<DeviceMode> GetDeviceMode() override { return setup_.mode; }
    bool MergeDeviceMode(DeviceMode& mode) override;
    void SetDeviceMode(const DeviceMode& mode) override;
    std::vector<int> PaperCodes() override { return setup_.paperCodes; }
    DeviceCaps Caps() override { return setup_.caps; }
    int PageWidth() override { return setup_.caps.physicalWidth - 2 * setup_.caps.physicalOffsetX; }
    int PageHeight() override {
        return setup_.caps.physicalHeight - 2 * setup_.caps.physicalOffsetY;
    }
    void SetTitle(const std::string& title) override { title_ = title; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() override { return printing_; }
    Canvas& PageCanvas() override;

    FakePrinterSetup& Setup() { return setup_; }
    // "BeginDoc <title>", "NewPage", "EndDoc", "Abort" in call order.
    const std::vector<std::string>& Calls() const { return calls_; }
    const std::vector<DrawnPicture>& Drawn() const { return drawn_; }
    const std::vector<DrawnText>& Texts() const { return texts_; }
    // Every record handed to SetDeviceMode.
    const std::vector<DeviceMode>& Applied() const { return applied_; }
    int Pages() const { return page_; }

private:
    class PageCanvasImpl;

    FakePrinterSetup setup_;
    int index_ = 0;
    std::string title_;
    bool printing_ = false;
    int page_ = 0;
    int newPages_ = 0;
    std::vector<std::string> calls_;
    std::vector<DrawnPicture> drawn_;
    std::vector<DrawnText> texts_;
    std::vector<DeviceMode> applied_;
    std::unique_ptr<PageCanvasImpl> canvas_;
};

// Hands out fake printers with one setup, and keeps track of them.
class FakePrinterSystem : public PrinterSystem {
public:
    explicit FakePrinterSystem(FakePrinterSetup setup = {});
    ~FakePrinterSystem() override;

    std::unique_ptr<PrinterDevice> CreatePrinter() override;
    PrinterDevice& SharedPrinter() override;

    FakePrinterDevice& Shared();
    // The printer made last by CreatePrinter (it belongs to whoever asked for it).
    FakePrinterDevice* LastCreated() const { return last_; }
    FakePrinterSetup& Setup() { return setup_; }

private:
    FakePrinterSetup setup_;
    std::unique_ptr<FakePrinterDevice> shared_;
    FakePrinterDevice* last_ = nullptr;
};

}  // namespace quillon::testing
