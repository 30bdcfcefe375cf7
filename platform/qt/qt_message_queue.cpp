#include "platform/qt/qt_message_queue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace quillon {

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
public:
    MessageEvent(std::weak_ptr<MessageTarget*> target, const Message& message)
        : QEvent(kMessageEvent), target_(std::move(target)), message_(message) {}

    void Deliver() const {
        if (const auto target = target_.lock()) (*target)->HandleMessage(message_);
    }

private:
    std::weak_ptr<MessageTarget*> target_;
    Message message_;
};

}  // namespace

// Receives the posted messages and watches the application for a quit request.
class QtMessageQueue::Dispatcher : public QObject {
public:
    Dispatcher() {
        QCoreApplication* app = QCoreApplication::instance();
        app->installEventFilter(this);
        QObject::connect(app, &QCoreApplication::aboutToQuit, this, [this] { quitting_ = true; });
    }

    bool Quitting() const { return quitting_; }

    bool event(QEvent* event) override {
        if (event->type() != kMessageEvent) return QObject::event(event);
        static_cast<MessageEvent*>(event)->Deliver();
        return true;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
            quitting_ = true;
        return false;
    }

private:
    bool quitting_ = false;
};

QtMessageQueue::QtMessageQueue() : dispatcher_(std::make_unique<Dispatcher>()) {}

QtMessageQueue::~QtMessageQueue() = default;

void QtMessageQueue::Post(MessageTarget& target, const Message& message) {
    QCoreApplication::postEvent(dispatcher_.get(), new MessageEvent(target.Token(), message));
}

void QtMessageQueue::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtMessageQueue::WaitAndHandleMessage() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool QtMessageQueue::Terminating() {
    return QCoreApplication::closingDown() || dispatcher_->Quitting();
}

}  // namespace quillon
