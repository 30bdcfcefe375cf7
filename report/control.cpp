#include "report/control.h"

#include <algorithm>

namespace quillon {

namespace {

DesignMessageHandler& DesignMessages() {
    static DesignMessageHandler handler;
    return handler;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        return lower(x) == lower(y);
    });
}

}  // namespace

void SetDesignMessageHandler(DesignMessageHandler handler) {
    DesignMessages() = std::move(handler);
}

void ShowDesignMessage(std::string_view message) {
    if (DesignMessages()) DesignMessages()(message);
}

// --- TComponent ---------------------------------------------------------------------------

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_ != nullptr) {
        owner_->components_.push_back(this);
        loading_ = owner_->loading_;
        designing_ = owner_->designing_;
    }
}

TComponent::~TComponent() {
    destroying_ = true;
    // Copies: a handler may change the lists.
    const std::vector<TComponent*> notified = notified_;
    for (TComponent* other : notified) {
        Unlink(other->notifiers_, this);
        other->Notification(*this);
    }
    for (TComponent* other : notifiers_) Unlink(other->notified_, this);
    for (TComponent* owned : components_) owned->owner_ = nullptr;
    if (owner_ != nullptr) Unlink(owner_->components_, this);
}

void TComponent::Unlink(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

void TComponent::SetName(std::string name) {
    if (name == name_) return;
    const std::string old = std::move(name_);
    name_ = std::move(name);
    Renamed(old);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (TComponent* c : components_) {
        if (SameName(c->name_, name)) return c;
    }
    return nullptr;
}

void TComponent::SetDesigning(bool designing) {
    designing_ = designing;
    for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::BeginLoading() {
    loading_ = true;
    for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
    std::vector<TComponent*> all{this};
    for (std::size_t i = 0; i < all.size(); ++i) {
        all.insert(all.end(), all[i]->components_.begin(), all[i]->components_.end());
    }
    // Each component leaves the loading state in its own turn: while an earlier one finishes,
    // the later ones still take changes as loading components do.
    for (TComponent* c : all) {
        c->loading_ = false;
        c->Loaded();
    }
}

void TComponent::FreeNotification(TComponent& other) {
    if (&other == this) return;
    if (std::find(notified_.begin(), notified_.end(), &other) != notified_.end()) return;
    notified_.push_back(&other);
    other.notifiers_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent& other) {
    Unlink(notified_, &other);
    Unlink(other.notifiers_, this);
}

// --- TControl -----------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
    DestroyChildren();
}

void TControl::DestroyChildren() {
    MarkDestroying();
    while (!children_.empty()) {
        // Taken out first, so that the child's destructor finds its parent consistent.
        std::unique_ptr<TControl> child = std::move(children_.back());
        children_.pop_back();
        child.reset();
    }
}

bool TControl::IsAncestorOf(const TControl& control) const {
    for (const TControl* p = &control; p != nullptr; p = p->parent_) {
        if (p == this) return true;
    }
    return false;
}

void TControl::Adopt(std::unique_ptr<TControl> child) {
    if (!child) throw std::invalid_argument("TControl::Insert: no control");
    if (child->parent_ != nullptr)
        throw std::logic_error("TControl::Insert: the control is placed");
    TControl* target = child->ResolveParent(this);
    if (target == nullptr || child->IsAncestorOf(*target)) {
        throw std::logic_error("TControl::Insert: no valid parent");
    }
    TControl& c = *child;
    c.ParentChanging(target);
    target->children_.push_back(std::move(child));
    c.parent_ = target;
    if (c.parentFont_) c.NotifyFontChanged();
    c.ParentChanged(nullptr);
}

std::unique_ptr<TControl> TControl::Extract(TControl& child) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [&](const std::unique_ptr<TControl>& c) { return c.get() == &child; });
    if (it == children_.end()) throw std::logic_error("TControl: not a child of this control");
    std::unique_ptr<TControl> owned = std::move(*it);
    children_.erase(it);
    return owned;
}

void TControl::SetParent(TControl* parent) {
    if (parent_ == nullptr) throw std::logic_error("TControl::SetParent: place it with Insert");
    if (parent == nullptr) throw std::logic_error("TControl::SetParent: use RemoveFromParent");
    TControl* target = ResolveParent(parent);
    if (target == parent_) return;
    if (target == nullptr || IsAncestorOf(*target)) {
        throw std::logic_error("TControl::SetParent: no valid parent");
    }
    TControl* old = parent_;
    ParentChanging(target);
    std::unique_ptr<TControl> self = old->Extract(*this);
    target->children_.push_back(std::move(self));
    parent_ = target;
    if (parentFont_) NotifyFontChanged();
    ParentChanged(old);
}

std::unique_ptr<TControl> TControl::RemoveFromParent() {
    if (parent_ == nullptr) throw std::logic_error("TControl::RemoveFromParent: no parent");
    TControl* old = parent_;
    ParentChanging(nullptr);
    std::unique_ptr<TControl> self = old->Extract(*this);
    parent_ = nullptr;
    ParentChanged(old);
    return self;
}

void TControl::DeleteChild(TControl& child) {
    if (child.parent_ != this) throw std::logic_error("TControl::DeleteChild: not a child");
    std::unique_ptr<TControl> owned = Extract(child);
    owned.reset();
}

const FontSpec& TControl::Font() const {
    if (parentFont_ && parent_ != nullptr) return parent_->Font();
    return font_;
}

void TControl::SetFont(const FontSpec& font) {
    font_ = font;
    parentFont_ = false;
    NotifyFontChanged();
}

void TControl::SetParentFont(bool parentFont) {
    if (parentFont == parentFont_) return;
    if (!parentFont) font_ = Font();  // the inherited font becomes the control's own
    parentFont_ = parentFont;
    NotifyFontChanged();
}

void TControl::NotifyFontChanged() {
    FontChanged();
    for (const auto& child : children_) {
        if (child->parentFont_) child->NotifyFontChanged();
    }
}

}  // namespace quillon
