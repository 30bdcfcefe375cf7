#include "platform/core/messages.h"

namespace quillon {

MessageTarget::MessageTarget() : token_(std::make_shared<MessageTarget*>(this)) {}

MessageTarget::~MessageTarget() = default;

void SimpleMessageQueue::Post(MessageTarget& target, const Message& message) {
    queue_.push_back({target.Token(), message});
}

void SimpleMessageQueue::ProcessMessages() {
    // Messages posted while these run wait for the next call, as a window system's do.
    for (std::size_t n = queue_.size(); n > 0 && !queue_.empty(); --n) {
        Entry entry = queue_.front();
        queue_.pop_front();
        if (const auto target = entry.target.lock()) (*target)->HandleMessage(entry.message);
    }
}

void SimpleMessageQueue::WaitAndHandleMessage() {
    if (queue_.empty()) return;
    Entry entry = queue_.front();
    queue_.pop_front();
    if (const auto target = entry.target.lock()) (*target)->HandleMessage(entry.message);
}

}  // namespace quillon
