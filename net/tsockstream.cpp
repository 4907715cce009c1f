#include "net/tsockstream.h"

#include "net/tsock.h"

#include <climits>
#include <cstring>

TSockStream::TSockStream(TSock *sock) : QIODevice(sock), sock(sock)
{
    // Unbuffered, so that a read of n takes no more than n from the socket.
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

qint64 TSockStream::bytesAvailable() const
{
    return sock->incoming.size() + QIODevice::bytesAvailable();
}

qint64 TSockStream::readData(char *data, qint64 maxSize)
{
    const int wanted = int(qMin<qint64>(maxSize, INT_MAX));
    QByteArray taken;
    try {
        taken = sock->ReceiveCount(wanted);
    } catch (const ESockException &e) {
        setErrorString(e.text);
        return -1;
    }
    // A blocking receive hands back all it holds; what the caller did not ask
    // for goes back to the front of the buffer rather than being lost.
    if (taken.size() > wanted) {
        sock->incoming.prepend(taken.mid(wanted));
        taken.truncate(wanted);
    }
    if (!taken.isEmpty()) std::memcpy(data, taken.constData(), size_t(taken.size()));
    return taken.size();
}

qint64 TSockStream::writeData(const char *data, qint64 maxSize)
{
    try {
        sock->Send(QByteArray(data, qsizetype(maxSize)));
    } catch (const ESockException &e) {
        setErrorString(e.text);
        return -1;
    }
    return maxSize;
}
