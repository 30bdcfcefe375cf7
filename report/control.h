#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/canvas.h"
#include "report/size_owners.h"

namespace quillon {

// Horizontal alignment of a printable and of its text.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

inline constexpr Color clWhite = kWhite;
inline constexpr Color clBlack = kBlack;
inline constexpr Color clSilver = kSilver;

// Design-time messages ("Circular linking not allowed") go to this handler; without a designer
// there is none and nothing is shown.
using DesignMessageHandler = std::function<void(std::string_view message)>;
void SetDesignMessageHandler(DesignMessageHandler handler);
void ShowDesignMessage(std::string_view message);

// A named object of the report's component tree. Its owner is the scope its name is unique in
// (for the standard band names); the owner does not free it: the control tree does. A
// component can ask to hear about another's destruction (FreeNotification), which is how
// references between bands are cleared.
class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name);

    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    // The owned component of that name, compared without regard to ASCII letter case.
    TComponent* FindComponent(std::string_view name) const;

    bool Loading() const { return loading_; }
    bool Designing() const { return designing_; }
    bool Destroying() const { return destroying_; }
    // Marks this component and those it owns as designed in a designer (editors only).
    void SetDesigning(bool designing);

    // Loading from stored design values: BeginLoading marks this component and everything it
    // owns; EndLoading then clears the mark of each in turn and calls its Loaded, this
    // component first, the owned ones in the order they were created.
    void BeginLoading();
    void EndLoading();

    // `other` hears Notification(*this) when this component is destroyed; either may go
    // first.
    void FreeNotification(TComponent& other);
    void RemoveFreeNotification(TComponent& other);

protected:
    virtual void Loaded() {}
    virtual void Renamed(const std::string& /*oldName*/) {}
    // A component this one asked about (FreeNotification) is being destroyed.
    virtual void Notification(TComponent& /*destroyed*/) {}
    // Derived destructors call this first, so that what they tear down is seen as going.
    void MarkDestroying() { destroying_ = true; }

private:
    void Unlink(std::vector<TComponent*>& list, TComponent* item);

    std::string name_;
    std::int32_t tag_ = 0;
    TComponent* owner_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> notified_;   // hear about this one's destruction
    std::vector<TComponent*> notifiers_;  // this one hears about theirs
    bool loading_ = false;
    bool designing_ = false;
    bool destroying_ = false;
};

// A visual control of the report's tree: parent and children (the parent owns its children),
// bounds in screen pixels, visibility, enabling, colour and font. The design view's painting is
// a hook that does nothing here.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner = nullptr);
    ~TControl() override;

    TControl* Parent() const { return parent_; }
    // Moves a placed control to another parent (which takes over its ownership). A control
    // that has no parent yet is placed with Insert.
    void SetParent(TControl* parent);
    // Takes `child` over as a child control; returns it.
    template <class T>
    T& Insert(std::unique_ptr<T> child) {
        T& placed = *child;
        Adopt(std::unique_ptr<TControl>(std::move(child)));
        return placed;
    }
    // Takes this control off its parent and hands it to the caller.
    std::unique_ptr<TControl> RemoveFromParent();
    // Destroys a child control.
    void DeleteChild(TControl& child);

    std::size_t ControlCount() const { return children_.size(); }
    TControl& Control(std::size_t index) const { return *children_.at(index); }

    // Bounds in screen pixels. Bands and printables react to changes (their sizes follow).
    virtual ControlBounds Bounds() const { return bounds_; }
    virtual void SetBounds(const ControlBounds& bounds) { ApplyBounds(bounds); }
    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.width; }
    int Height() const { return bounds_.height; }
    void SetLeft(int left) { SetBounds({left, bounds_.top, bounds_.width, bounds_.height}); }
    void SetTop(int top) { SetBounds({bounds_.left, top, bounds_.width, bounds_.height}); }
    void SetWidth(int width) { SetBounds({bounds_.left, bounds_.top, width, bounds_.height}); }
    void SetHeight(int height) { SetBounds({bounds_.left, bounds_.top, bounds_.width, height}); }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled) {
        enabled_ = enabled;
        Repaint();
    }

    // The background colour. (The type is written qualified inside controls, whose own
    // member hides its name.)
    quillon::Color Color() const { return color_; }
    void SetColor(quillon::Color color) {
        color_ = color;
        Repaint();
    }

    // The font: the parent's while ParentFont is set, else the control's own. Setting a font
    // makes it the control's own.
    const FontSpec& Font() const;
    void SetFont(const FontSpec& font);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);

    // Paints the control again in design view; nothing to do without one.
    virtual void Repaint() {}

protected:
    void ApplyBounds(const ControlBounds& bounds) { bounds_ = bounds; }
    // The parent a control really goes to when asked for `parent` (a band placed on a band
    // goes to that band's parent).
    virtual TControl* ResolveParent(TControl* parent) { return parent; }
    // Before the control leaves its parent (Parent() is still the old one).
    virtual void ParentChanging(TControl* /*newParent*/) {}
    // After the control has its new parent.
    virtual void ParentChanged(TControl* /*oldParent*/) {}
    // The effective font changed.
    virtual void FontChanged() {}
    // Destroys all children now; derived destructors call it while their own state lives.
    void DestroyChildren();

private:
    void Adopt(std::unique_ptr<TControl> child);
    std::unique_ptr<TControl> Extract(TControl& child);
    void NotifyFontChanged();
    bool IsAncestorOf(const TControl& control) const;

    TControl* parent_ = nullptr;
    std::vector<std::unique_ptr<TControl>> children_;
    ControlBounds bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    quillon::Color color_ = clWhite;
    FontSpec font_;
    bool parentFont_ = true;
};

}  // namespace quillon
