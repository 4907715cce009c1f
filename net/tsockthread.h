// TSockThread: runs the OnAutoAccept handler of a blocking listener on a
// thread of its own, so that the handler may wait on its new connection
// without stopping the event loop. It frees itself when the handler returns.
#pragma once

#include "net/tsock.h"

#include <QThread>

class TSockThread : public QThread
{
    Q_OBJECT
public:
    // The listener owns the thread and waits for it before it goes away.
    TSockThread(TSock *listener, TSock *newSock, TNotifyAutoEvent handler);

protected:
    void run() override;

private:
    TSock *listener;
    TSock *newSock;
    TNotifyAutoEvent handler;
};
