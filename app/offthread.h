// SPDX-FileCopyrightText: 2026 Sigtelinje developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

// Work that may wait on a medium (a folder on a stalled network drive) runs on a thread of its
// own, while the window's thread goes on drawing and answering the user.
namespace OffThread {

enum class Outcome {
    Done, // the work finished in time
    TimedOut, // the work is still waiting; it finishes, or not, on its own
    Superseded // the user asked for something else meanwhile, or the program is ending
};

// Runs `work` on a thread of its own and waits at most `timeout` for it, handling the window's
// events meanwhile. A later run() started from those events supersedes this one. `work` may
// outlive the call: it must own everything it touches.
Outcome run(std::function<void()> work, std::chrono::milliseconds timeout);

// How long a medium may take to answer before it counts as unavailable.
std::chrono::milliseconds answerTime();

}
