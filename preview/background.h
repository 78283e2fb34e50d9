// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <chrono>
#include <functional>
#include <memory>

// Work that may wait on a medium (a folder or file on a stalled network drive) runs on a
// thread of its own, while the window's thread goes on drawing and answering the user. Its
// result comes back through the window's event queue; nothing ever waits for it.
//
// A thread held in the system by a medium that does not answer cannot be ended or waited for,
// so each is left to finish by itself and then deletes itself. No pool: a pool waits for its
// threads when the program ends, and Exit must end the program at once.
namespace Background {

// How long a medium may take to answer one call before it counts as unavailable.
std::chrono::milliseconds answerTime();

// Runs `work` on a new thread and hands its result to `done` on the window's thread, unless
// `receiver` is gone by then. `work` must own everything it touches: it may outlive the
// receiver, or never return at all.
template <typename Result>
void run(QObject* receiver, std::function<Result()> work, std::function<void(Result)> done)
{
    // Made here, only copied on the worker, and read back on the window's thread.
    auto target = std::make_shared<QPointer<QObject>>(receiver);
    QThread* thread = QThread::create([work = std::move(work), done = std::move(done), target] {
        auto result = std::make_shared<Result>(work());
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [done, target, result] {
                    if (*target)
                        done(std::move(*result));
                },
                Qt::QueuedConnection);
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

}
