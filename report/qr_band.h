#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "report/band_size.h"
#include "report/base_panel.h"

namespace quillon {

class TCustomRozerEdedid;
class TQRCustomController;
class TQRChildBand;

// Band kinds, in this order.
enum class TQRBandType {
    rbTitle,
    rbPageHeader,
    rbDetail,
    rbPageFooter,
    rbSummary,
    rbGroupHeader,
    rbGroupFooter,
    rbSubDetail,
    rbColumnHeader,
    rbOverlay,
    rbChild,
};

// Each kind's name on a band in design view and its default component name.
struct BandKindNames {
    TQRBandType type;
    std::string_view displayName;
    std::string_view componentName;
};

// clang-format off
inline constexpr std::array<BandKindNames, 11> kBandKindNames{{
    {TQRBandType::rbTitle,        "Title",         "TitleBand"},
    {TQRBandType::rbPageHeader,   "Page Header",   "PageHeaderBand"},
    {TQRBandType::rbDetail,       "Detail",        "DetailBand"},
    {TQRBandType::rbPageFooter,   "Page Footer",   "PageFooterBand"},
    {TQRBandType::rbSummary,      "Summary",       "SummaryBand"},
    {TQRBandType::rbGroupHeader,  "Group Header",  "GroupHeaderBand"},
    {TQRBandType::rbGroupFooter,  "Group Footer",  "GroupFooterBand"},
    {TQRBandType::rbSubDetail,    "Sub Detail",    "SubDetailBand"},
    {TQRBandType::rbColumnHeader, "Column Header", "ColumnHeaderBand"},
    {TQRBandType::rbOverlay,      "Overlay",       "OverlayBand"},
    {TQRBandType::rbChild,        "Child",         "ChildBand"},
}};
// clang-format on

constexpr const BandKindNames& BandKind(TQRBandType type) {
    return kBandKindNames[static_cast<std::size_t>(type)];
}

inline constexpr std::string_view kCircularLinking = "Circular linking not allowed";

// True while a page or column break is being made on behalf of a band. One flag for all bands
// of all reports: runs are never concurrent.
bool BandBreakPending();
void SetBandBreakPending(bool pending);

// A band of a report: a strip of the page holding printables. Its height and width are in
// its Size (report units); during a run it prints at the report's current position, grows
// as its printables ask, and continues on further pages while a printable is not complete.
class TQRCustomBand : public TQRBasePanel, public SizedControl {
public:
    // A new band: white, enabled, 40 pixels high.
    explicit TQRCustomBand(TComponent* owner = nullptr);
    ~TQRCustomBand() override;

    // Events (sender first). BeforePrint may refuse the print.
    std::function<void(TQRCustomBand& sender, bool& printBand)> BeforePrint;
    std::function<void(TQRCustomBand& sender, bool bandPrinted)> AfterPrint;

    ControlBounds Bounds() const override { return TControl::Bounds(); }
    void SetBounds(const ControlBounds& bounds) override;
    void SetZoom(int zoom) override;

    TQRBandSize& Size() { return size_; }
    const TQRBandSize& Size() const { return size_; }

    TQRBandType BandType() const { return bandType_; }
    virtual std::string_view BandTypeName() const { return BandKind(bandType_).displayName; }
    virtual std::string_view BandComponentName() const { return BandKind(bandType_).componentName; }

    bool AlignToBottom() const { return alignToBottom_; }
    void SetAlignToBottom(bool value) { alignToBottom_ = value; }
    bool TransparentBand() const { return transparentBand_; }
    void SetTransparentBand(bool value) { transparentBand_ = value; }
    bool ForceNewColumn() const { return forceNewColumn_; }
    void SetForceNewColumn(bool value) { forceNewColumn_ = value; }
    bool ForceNewPage() const { return forceNewPage_; }
    void SetForceNewPage(bool value) { forceNewPage_ = value; }
    bool PreCaluculateBandHeight() const { return preCalculateBandHeight_; }
    void SetPreCaluculateBandHeight(bool value) { preCalculateBandHeight_ = value; }
    bool KeepOnOnePage() const { return keepOnOnePage_; }
    void SetKeepOnOnePage(bool value) { keepOnOnePage_ = value; }

    // Whether a child band follows this band: the first child band of the report whose
    // ParentBand is this one. Setting it creates or destroys that child; a grandchild then
    // moves up to this band.
    bool HasChild() const { return ChildBand() != nullptr; }
    void SetHasChild(bool hasChild);
    TQRChildBand* ChildBand() const;

    // A band whose height counts with this band's in the room check. Circular links are
    // refused.
    TQRCustomBand* LinkBand() const { return linkBand_; }
    void SetLinkBand(TQRCustomBand* band);

    TCustomRozerEdedid* ParentReport() const { return report_; }
    virtual void SetParentReport(TCustomRozerEdedid* report);

    // The controller the band belongs to as a detail band (not owned).
    TQRCustomController* Controller() const { return controller_; }
    void SetController(TQRCustomController* controller) { controller_ = controller; }

    bool LayoutInProgress() const { return layoutInProgress_; }
    void SetLayoutInProgress(bool value) { layoutInProgress_ = value; }

    // --- During a run (report units are tenths of a millimetre) -------------------------
    long double Growth() const { return growth_; }
    const Rect& PrintRect() const { return printRect_; }

    // The band's height in the report's units.
    long double BandHeight() const { return size_.Height(); }
    // Prints the band at the report's current position, breaking pages or columns as its
    // printables need, then its child band.
    void PrintOut();
    // Starts a new column or page when the band does not fit in the room left.
    void EnsureRoom();
    // Whether the band can still grow by `height` on this page.
    bool CanGrowBy(long double height) const;
    // Grows the band for a printable: `seenGrowth` is the printable's view of the band's
    // total growth, `hasGrown` whether it has grown the band before on this page.
    void GrowBy(long double height, long double& seenGrowth, bool& hasGrown);
    // The height the band needs with its memos at their full heights.
    long double StretchedHeight() const;
    // The band's height with the heights of the chain of bands linked to it.
    long double ChainHeight() const;

    TQRExportFilter* FrameExportFilter() const override;

protected:
    // Child bands keep their kind; a band takes kinds through this.
    void StoreBandType(TQRBandType type) { bandType_ = type; }
    TControl* ResolveParent(TControl* parent) override;
    void ParentChanging(TControl* newParent) override;
    void ParentChanged(TControl* oldParent) override;
    void Loaded() override;
    void Notification(TComponent& destroyed) override;
    // Tells every band-aligned printable on the band that the band was resized.
    void NotifyPrintablesResized();

private:
    friend class TCustomRozerEdedid;
    void PrintPrintables();

    TQRBandSize size_{this};
    TQRBandType bandType_ = TQRBandType::rbTitle;
    bool alignToBottom_ = false;
    bool transparentBand_ = false;
    bool forceNewColumn_ = false;
    bool forceNewPage_ = false;
    bool preCalculateBandHeight_ = false;
    bool keepOnOnePage_ = false;
    TQRCustomBand* linkBand_ = nullptr;
    TCustomRozerEdedid* report_ = nullptr;
    TQRCustomController* controller_ = nullptr;
    bool layoutInProgress_ = false;
    std::optional<int> loadedHeight_;
    long double growth_ = 0;
    Rect printRect_;
    // Where the band's print began on the present page (for an export filter).
    std::int32_t startX_ = 0;
    std::int32_t startY_ = 0;
};

// A band whose kind is chosen (BandType).
class TQRBand : public TQRCustomBand {
public:
    explicit TQRBand(TComponent* owner = nullptr) : TQRCustomBand(owner) {}
    // Stores the kind and sorts and lays out the report's bands again.
    void SetBandType(TQRBandType type);
};

// A band printed right after its parent band.
class TQRChildBand : public TQRCustomBand {
public:
    explicit TQRChildBand(TComponent* owner = nullptr);

    TQRCustomBand* ParentBand() const { return parentBand_; }
    // Refused when the chain of parent bands from `band` leads back here, and ignored while
    // the child belongs to no report.
    void SetParentBand(TQRCustomBand* band);

protected:
    void Notification(TComponent& destroyed) override;

private:
    friend class TQRCustomBand;
    TQRCustomBand* parentBand_ = nullptr;
};

}  // namespace quillon
