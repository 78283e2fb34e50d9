// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "offthread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <memory>

namespace OffThread {

namespace {

    // Only the window's thread reads or writes these.
    struct Wait {
        QEventLoop* loop = nullptr;
        bool done = false;
        bool timedOut = false;
        bool superseded = false;
    };
    std::shared_ptr<Wait> waiting;

}

std::chrono::milliseconds answerTime() { return std::chrono::seconds(4); }

Outcome run(std::function<void()> work, std::chrono::milliseconds timeout)
{
    QEventLoop loop;
    auto wait = std::make_shared<Wait>();
    wait->loop = &loop;
    // The user's newer request wins: the older wait ends as soon as the newer one returns.
    const std::shared_ptr<Wait> outer = waiting;
    if (outer && outer->loop) {
        outer->superseded = true;
        outer->loop->quit();
    }
    waiting = wait;

    // A thread held in the system by a medium that does not answer cannot be ended or
    // waited for, so it is left to finish by itself and then deletes itself; it reports back
    // through the event queue. A Qt thread, so that Qt's own per-thread data is cleaned up
    // with it.
    QThread* thread = QThread::create([work = std::move(work), wait] {
        work();
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [wait] {
                    wait->done = true;
                    if (wait->loop)
                        wait->loop->quit();
                },
                Qt::QueuedConnection);
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    const QPointer<QThread> running(thread);
    thread->start();

    QTimer::singleShot(timeout, &loop, [&loop, wait] {
        wait->timedOut = true;
        loop.quit();
    });
    loop.exec();
    wait->loop = nullptr;
    waiting = outer;
    if (wait->superseded)
        return Outcome::Superseded;
    if (wait->done) {
        // Its work is done and it is only ending: no thread of ours is left half-ended
        // when the program ends (Windows does not take that well).
        if (running)
            running->wait();
        return Outcome::Done;
    }
    // Otherwise the loop ended because the program is ending.
    return wait->timedOut ? Outcome::TimedOut : Outcome::Superseded;
}

}
