#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

// Watches the events of one object with a function; returning true swallows the event.
// The hook is a child of the watched object and goes away with it.
class EventHook : public QObject {
  public:
    using Filter = std::function<bool(QObject* watched, QEvent* event)>;
    EventHook(QObject* watched, Filter filter) : QObject(watched), filter_(std::move(filter)) {
        watched->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

  private:
    Filter filter_;
};
