#include "net/tsockthread.h"

#include <QtDebug>

TSockThread::TSockThread(TSock *listener, TSock *newSock, TNotifyAutoEvent handler)
    : QThread(listener), listener(listener), newSock(newSock), handler(std::move(handler))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TSockThread::run()
{
    try {
        if (handler) handler(listener, newSock);
    } catch (const std::exception &e) {
        // Nothing on this thread could take it further.
        qWarning("TSock: %s", e.what());
    } catch (...) {
        qWarning("TSock: a handler raised an unknown exception");
    }
}
