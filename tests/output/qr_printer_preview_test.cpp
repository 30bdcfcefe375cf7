// What the report printer does for its preview: opening it through the registered provider,
// the preview closing, and links clicked on a page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/qr_preview_interface.h"
#include "output/qr_printer.h"
#include "tests/output/printer_test_support.h"

namespace quillon {
namespace {

using testing::RecordingClient;
using testing::ScopedServices;

class FakeShell : public Shell {
public:
    bool Open(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    std::vector<std::string> opened;
};

class FakeReport : public TQRPrinterOwner {
public:
    bool UseStandardPrinter() const override { return false; }
    std::int32_t MemoryLimit() const override { return 250000; }
    MessageTarget& ReportWindow() override { return window; }
    RecordingClient window;
};

// A provider whose windows are message targets the test keeps.
class FakePreviewInterface : public TQRPreviewInterface {
public:
    explicit FakePreviewInterface(std::vector<std::unique_ptr<RecordingClient>>& windows,
                                  std::vector<TQRPrinter*>& shown)
        : windows_(windows), shown_(shown) {}
    MessageTarget* OpenPreview(TQRPrinter& printer) override {
        shown_.push_back(&printer);
        windows_.push_back(std::make_unique<RecordingClient>());
        return windows_.back().get();
    }

private:
    std::vector<std::unique_ptr<RecordingClient>>& windows_;
    std::vector<TQRPrinter*>& shown_;
};

TEST(QRPrinterPreview, PreviewGoesToTheHandlerOrTheRegisteredProvider) {
    ScopedServices services;
    TQRPrinter printer;
    // Nothing registered: the base provider opens nothing.
    printer.Preview();
    EXPECT_EQ(printer.PreviewWindow(), nullptr);

    std::vector<std::unique_ptr<RecordingClient>> windows;
    std::vector<TQRPrinter*> shown;
    RegisterPreviewInterface(
        [&] { return std::make_unique<FakePreviewInterface>(windows, shown); });
    printer.Preview();
    ASSERT_EQ(shown, std::vector<TQRPrinter*>{&printer});
    EXPECT_EQ(printer.PreviewWindow(), windows.back().get());
    windows.clear();  // the window closed and freed itself
    EXPECT_EQ(printer.PreviewWindow(), nullptr);

    int handled = 0;
    printer.OnPreview = [&](TQRPrinter& sender) {
        EXPECT_EQ(&sender, &printer);
        ++handled;
    };
    printer.Preview();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(shown.size(), 1u);
    RegisterPreviewInterface(nullptr);
}

TEST(QRPrinterPreview, ClosingThePreviewCancelsARunAndNotifiesOnce) {
    ScopedServices services;
    TQRPrinter printer;
    int afterPreview = 0;
    printer.OnAfterPreview = [&] { ++afterPreview; };
    printer.SetPreviewShowing(false);
    EXPECT_EQ(afterPreview, 0);
    printer.SetPreviewShowing(true);
    printer.BeginDocument();
    printer.NewPage();
    printer.SetPreviewShowing(false);
    EXPECT_TRUE(printer.CancelRequested());
    EXPECT_EQ(afterPreview, 1);
    printer.SetPreviewShowing(false);
    EXPECT_EQ(afterPreview, 1);
}

TEST(QRPrinterPreview, ClosePreviewSendsTheReportItsPrinter) {
    ScopedServices services;
    FakeReport report;
    TQRPrinter printer(&report);
    printer.ClosePreview();
    // Sent, not posted: handled before the call returns.
    ASSERT_EQ(report.window.messages.size(), 1u);
    EXPECT_EQ(report.window.messages[0].id, kMsgPreviewClosed);
    EXPECT_EQ(report.window.messages[0].lParam, reinterpret_cast<std::intptr_t>(&printer));
    EXPECT_EQ(services.queue.Pending(), 0u);

    TQRPrinter alone;
    EXPECT_NO_THROW(alone.ClosePreview());
}

TEST(QRPrinterPreview, FollowingLinks) {
    struct Case {
        const char* link;
        std::vector<std::string> opened;
        std::vector<std::string> internal;
    };
    const Case cases[] = {
        {"EXT:https://example.org/a", {"https://example.org/a"}, {}},
        {"ext:notes.txt", {"notes.txt"}, {}},
        {"INT:chapter 2", {}, {"ter 2"}},
        {"INT:index", {}, {}},  // no handler takes it: nothing opens
        {"chapter 3", {}, {"ter 3"}},
        {"Chapter 4", {"Chapter 4"}, {}},  // prefixes of handlers are exact
        {"https://example.org", {"https://example.org"}, {}},
    };
    FakeShell shell;
    ScopedServices services(nullptr, &shell);
    std::vector<std::string> internal;
    AddInternalLinkHandler("chap",
                           [&](TQRPrinter&, const std::string& rest) { internal.push_back(rest); });
    AddInternalLinkHandler(
        "ch", [&](TQRPrinter&, const std::string& rest) { internal.push_back("second " + rest); });
    TQRPrinter printer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        shell.opened.clear();
        internal.clear();
        printer.FollowHyperlink(c.link);
        EXPECT_EQ(shell.opened, c.opened);
        EXPECT_EQ(internal, c.internal);
    }
    RemoveInternalLinkHandler("chap");
    RemoveInternalLinkHandler("ch");
    internal.clear();
    shell.opened.clear();
    printer.FollowHyperlink("chapter 3");
    EXPECT_TRUE(internal.empty());
    EXPECT_EQ(shell.opened, std::vector<std::string>{"chapter 3"});
}

}  // namespace
}  // namespace quillon
