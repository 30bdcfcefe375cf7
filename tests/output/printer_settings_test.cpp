// Printer settings: reading the printer's record, checking wishes against what it supports,
// and writing them back through the code tables.

#include <gtest/gtest.h>

#include "output/printer_settings.h"
#include "tests/output/printer_test_support.h"

namespace quillon {
namespace {

using testing::FakePrinterDevice;
using testing::FakePrinterSetup;
using testing::ScopedServices;

// Settings attached to a fake printer with `setup`.
struct Attached {
    explicit Attached(FakePrinterSetup setup = {}) : printer(std::move(setup)) {
        settings.AttachPrinter(&printer);
    }
    // The record the printer was last given.
    const DeviceMode& Applied() {
        settings.WriteToDevice();
        EXPECT_FALSE(printer.Applied().empty());
        return printer.Applied().back();
    }
    ScopedServices services;
    FakePrinterDevice printer;
    TPrinterSettings settings;
};

TEST(PrinterSettings, BinCodesBothWays) {
    struct Case {
        TQRBin bin;
        int code;
    };
    for (const Case c : {Case{TQRBin::Auto, 7}, Case{TQRBin::Cassette, 14}, Case{TQRBin::Last, 14},
                         Case{TQRBin::First, 1}, Case{TQRBin::Upper, 1}, Case{TQRBin::Manual, 4}}) {
        Attached a;
        ASSERT_TRUE(a.settings.SetOutputBin(c.bin));
        EXPECT_EQ(a.Applied().defaultSource, c.code) << static_cast<int>(c.bin);
    }
    struct Read {
        int code;
        TQRBin bin;
    };
    for (const Read r : {Read{14, TQRBin::Cassette}, Read{1, TQRBin::First}, Read{7, TQRBin::Auto},
                         Read{99, TQRBin::First}}) {
        FakePrinterSetup setup;
        setup.mode->defaultSource = r.code;
        Attached a(setup);
        EXPECT_EQ(a.settings.OutputBin(), r.bin) << r.code;
    }
    // A custom bin code wins over the table.
    Attached a;
    a.settings.SetOutputBin(TQRBin::Auto);
    a.settings.SetUseCustomBinCode(true);
    a.settings.SetCustomBinCode(260);
    EXPECT_EQ(a.Applied().defaultSource, 260);
}

TEST(PrinterSettings, PaperCodesAndSheetSize) {
    Attached a;
    ASSERT_TRUE(a.settings.SetPaperSize(TQRPaperSize::Custom));
    a.settings.SetSheetWidth(1500);
    a.settings.SetSheetLength(1200);
    DeviceMode applied = a.Applied();
    EXPECT_EQ(applied.paperSize, 256);
    EXPECT_EQ(applied.paperWidth, 1500);
    EXPECT_EQ(applied.paperLength, 1200);
    EXPECT_EQ(a.settings.SheetWidth(), 1500);

    ASSERT_TRUE(a.settings.SetPaperSize(TQRPaperSize::Default));
    EXPECT_EQ(a.Applied().paperSize, 0);

    ASSERT_TRUE(a.settings.SetPaperSize(TQRPaperSize::A5));
    EXPECT_EQ(a.Applied().paperSize, 11);
    EXPECT_EQ(a.settings.SheetWidth(), 1480);  // the table's, not the stored custom size
    EXPECT_EQ(a.settings.SheetLength(), 2100);

    a.settings.SetUseCustomPaperCode(true);
    a.settings.SetCustomPaperCode(70);
    EXPECT_EQ(a.Applied().paperSize, 70);
}

TEST(PrinterSettings, OnlyOfferedPaperSizesAreTaken) {
    FakePrinterSetup setup;
    setup.paperCodes = {9, 11, 70, 256};  // 70 is not in the table
    Attached a(setup);
    EXPECT_TRUE(a.settings.PaperSupported(TQRPaperSize::A4));
    EXPECT_TRUE(a.settings.PaperSupported(TQRPaperSize::Custom));
    EXPECT_FALSE(a.settings.PaperSupported(TQRPaperSize::Letter));

    EXPECT_TRUE(a.settings.SetPaperSize(TQRPaperSize::A5));
    EXPECT_FALSE(a.settings.SetPaperSize(TQRPaperSize::Letter));
    EXPECT_EQ(a.settings.PaperSize(), TQRPaperSize::A5);
    EXPECT_TRUE(a.settings.SetPaperSize(TQRPaperSize::Default));
    EXPECT_EQ(a.settings.PaperSize(), TQRPaperSize::Default);
    // Default and Custom measure the device's sheet: 4960 x 7016 dots at 600 per inch.
    EXPECT_EQ(a.settings.SheetWidth(), 2100);
    EXPECT_EQ(a.settings.SheetLength(), 2970);
}

TEST(PrinterSettings, DuplexCodes) {
    struct Case {
        int extended;
        bool duplex;
        int code;
    };
    for (const Case c :
         {Case{2, false, 2}, Case{0, true, 3}, Case{0, false, 1}, Case{3, false, 3}}) {
        Attached a;
        a.settings.SetExtendedDuplex(c.extended);
        ASSERT_TRUE(a.settings.SetDuplex(c.duplex));
        EXPECT_EQ(a.Applied().duplex, c.code) << c.extended << " " << c.duplex;
    }
    struct Read {
        int code;
        bool duplex;
    };
    for (const Read r : {Read{1, false}, Read{2, true}, Read{3, true}}) {
        FakePrinterSetup setup;
        setup.mode->duplex = r.code;
        Attached a(setup);
        EXPECT_EQ(a.settings.Duplex(), r.duplex) << r.code;
        EXPECT_EQ(a.settings.ExtendedDuplex(), r.code);
    }
}

TEST(PrinterSettings, WishesOutsideTheFieldMaskAreDropped) {
    FakePrinterSetup setup;
    setup.mode->fields = DeviceMode::kPaperSize;
    setup.mode->copies = 5;  // not reported: copies are not in the mask
    Attached a(setup);
    EXPECT_EQ(a.settings.Copies(), 1);
    EXPECT_FALSE(a.settings.Supports(DeviceMode::kDuplex));
    EXPECT_TRUE(a.settings.Supports(DeviceMode::kPaperSize));

    EXPECT_FALSE(a.settings.SetDuplex(true));
    EXPECT_FALSE(a.settings.SetCopies(3));
    EXPECT_FALSE(a.settings.SetOrientation(TPrinterOrientation::poLandscape));
    EXPECT_FALSE(a.settings.SetOutputBin(TQRBin::Manual));
    EXPECT_FALSE(a.settings.Duplex());
    EXPECT_EQ(a.settings.Copies(), 1);
    EXPECT_EQ(a.settings.Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_EQ(a.settings.OutputBin(), TQRBin::First);

    // A full mask takes every wish.
    Attached full;
    EXPECT_TRUE(full.settings.SetCopies(3));
    EXPECT_TRUE(full.settings.SetOrientation(TPrinterOrientation::poLandscape));
    const DeviceMode& applied = full.Applied();
    EXPECT_EQ(applied.copies, 3);
    EXPECT_EQ(applied.orientation, 2);
    EXPECT_EQ(applied.fields, full.printer.Setup().mode->fields);
}

TEST(PrinterSettings, ReadsThePrinterRecordAndCapabilities) {
    FakePrinterSetup setup;
    setup.mode->copies = 2;
    setup.mode->paperSize = 11;
    setup.mode->printQuality = -3;
    setup.mode->collate = 1;
    setup.mode->color = 2;
    Attached a(setup);
    const TPrinterSettings& s = a.settings;
    EXPECT_EQ(s.HorizontalResolution(), 600);
    EXPECT_EQ(s.Copies(), 2);
    EXPECT_EQ(s.PaperSize(), TQRPaperSize::A5);
    EXPECT_EQ(s.UnprintableLeft(), 42);  // 100 dots: 42.3
    EXPECT_EQ(s.UnprintableTop(), 51);   // 120 dots: 50.8
    EXPECT_EQ(s.PrintQuality(), -3);
    EXPECT_EQ(s.Collate(), 1);
    EXPECT_EQ(s.ColorOption(), 2);
    EXPECT_EQ(s.DeviceName(), "Fake");
    EXPECT_EQ(s.DriverName(), "driver.so");
    EXPECT_EQ(s.PortName(), "fake:/");
}

TEST(PrinterSettings, HooksMayChangeOrSkipTheirStep) {
    {
        Attached a;
        a.settings.OnReadSettings = [](TPrinterSettings&, bool&, DeviceMode& mode) {
            mode.copies = 4;
        };
        a.settings.ReadFromDevice();
        EXPECT_EQ(a.settings.Copies(), 4);
        a.settings.OnReadSettings = [](TPrinterSettings&, bool& cancel, DeviceMode& mode) {
            mode.copies = 9;
            cancel = true;
        };
        a.settings.ReadFromDevice();
        EXPECT_EQ(a.settings.Copies(), 4);
    }
    {
        Attached a;
        a.settings.OnApplySettings = [](TPrinterSettings&, bool&, DeviceMode& mode) {
            mode.collate = 1;
        };
        EXPECT_EQ(a.Applied().collate, 1);
        int calls = 0;
        a.settings.OnApplySettings = [&](TPrinterSettings&, bool& cancel, DeviceMode&) {
            ++calls;
            cancel = true;
        };
        a.settings.WriteToDevice();
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(a.printer.Applied().size(), 1u);
    }
}

TEST(PrinterSettings, NothingReachesAPrinterThatRejectsOrHasNoRecord) {
    FakePrinterSetup rejecting;
    rejecting.acceptsRecords = false;
    FakePrinterSetup noRecord;
    noRecord.mode.reset();
    for (const FakePrinterSetup& setup : {rejecting, noRecord}) {
        Attached a(setup);
        int hookCalls = 0;
        a.settings.OnApplySettings = [&](TPrinterSettings&, bool&, DeviceMode&) { ++hookCalls; };
        a.settings.WriteToDevice();
        EXPECT_TRUE(a.printer.Applied().empty());
        EXPECT_EQ(hookCalls, 0);
    }
}

TEST(PrinterSettings, WithoutAPrinterWishesAreKept) {
    ScopedServices services;
    TPrinterSettings settings;
    settings.AttachPrinter(nullptr);
    EXPECT_FALSE(settings.Supports(DeviceMode::kOrientation));
    EXPECT_TRUE(settings.SetOrientation(TPrinterOrientation::poLandscape));
    EXPECT_TRUE(settings.SetPaperSize(TQRPaperSize::Letter));
    EXPECT_EQ(settings.SheetWidth(), 2159);
    EXPECT_EQ(settings.Orientation(), TPrinterOrientation::poLandscape);
    settings.WriteToDevice();  // nothing to write to
}

}  // namespace
}  // namespace quillon
