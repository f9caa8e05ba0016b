// Drives modal windows from inside their own event loops: an action is queued before the
// blocking call and runs as soon as a modal widget of the wanted type is up.
#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class ModalScript {
  public:
    template <class T>
    void When(std::function<void(T*)> action) {
        auto* timer = new QTimer(owner_.get());
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, action] {
            auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!widget || !widget->isVisible()) return;
            timer->stop();
            timer->deleteLater();
            action(widget);
        });
        timer->start();
    }

    // Drops pending actions and closes whatever modal widget a failed test left open.
    void Reset() {
        owner_ = std::make_unique<QObject>();
        for (int guard = 0; guard < 10 && QApplication::activeModalWidget(); ++guard)
            QApplication::activeModalWidget()->close();
    }

  private:
    std::unique_ptr<QObject> owner_ = std::make_unique<QObject>();
};
