#pragma once
// A repeating interface timer that ticks on the user-interface thread, with
// an on/off state that can be read back. A timer whose ticks nothing handles
// keeps its state but never wakes the process.
#include <QObject>
#include <QTimer>

namespace platform {

class UiTimer : public QObject {
    Q_OBJECT
public:
    UiTimer(int intervalMs, bool enabled, bool handled, QObject* parent = nullptr)
        : QObject(parent), handled_(handled) {
        timer_.setInterval(intervalMs);
        connect(&timer_, &QTimer::timeout, this, &UiTimer::Timer);
        setEnabled(enabled);
    }
    void setEnabled(bool on) {
        enabled_ = on;
        if (on && handled_)
            timer_.start(); // restarts the interval, as switching a timer on does
        else
            timer_.stop();
    }
    bool isEnabled() const { return enabled_; }
    bool isTicking() const { return timer_.isActive(); }
    int interval() const { return timer_.interval(); }

Q_SIGNALS:
    void Timer();

private:
    QTimer timer_;
    bool enabled_ = false;
    bool handled_;
};

} // namespace platform
