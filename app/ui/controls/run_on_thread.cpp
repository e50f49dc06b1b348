#include "app/ui/controls/run_on_thread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace kest::ui {

bool RunOnThreadAndWait(QObject* context, const std::function<void()>& fn) {
  if (!context) return false;
  if (QThread::currentThread() == context->thread()) {
    fn();
    return true;
  }
  return QMetaObject::invokeMethod(context, fn, Qt::BlockingQueuedConnection);
}

void WaitServingReports(QThread* thread, QObject* receiver) {
  if (!thread || thread == QThread::currentThread()) return;
  while (!thread->wait(QDeadlineTimer(20))) {
    // A blocking queued call arrives as a meta-call event posted to its receiver.
    QCoreApplication::sendPostedEvents(receiver, QEvent::MetaCall);
  }
}

}  // namespace kest::ui
