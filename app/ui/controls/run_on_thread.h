#pragma once
// The synchronous report of a worker to a window: run this on the window's thread and wait
// until it has run. Every worker report of the window program goes through RunOnThreadAndWait.

#include <QObject>

#include <functional>

class QThread;

namespace kest::ui {

// Runs `fn` on the thread of `context` and returns after it ran there. Called on that thread
// itself it runs `fn` directly: a blocking queued call to one's own thread would deadlock.
// While the caller waits, the window's thread may show modal boxes; `fn` runs inside their
// event loops too. False only when there is no context.
//
// The window's thread must never block on a worker that may call this (see
// WaitServingReports).
bool RunOnThreadAndWait(QObject* context, const std::function<void()>& fn);

// For the window's thread when it must see a worker end (a page that is being destroyed while
// its worker still runs): waits for `thread` to finish while running the reports that the
// worker addresses to `receiver`, so that a worker blocked in RunOnThreadAndWait can go on.
// Nothing else is dispatched meanwhile: other events could reach widgets that are half
// destroyed. The receiver decides with its own flag whether a late report still touches
// anything.
void WaitServingReports(QThread* thread, QObject* receiver);

}  // namespace kest::ui
