// TSockStream: the byte-stream face of a TSock, for code that wants a
// QIODevice. Reading takes bytes from the socket's incoming buffer, writing
// sends them; there is nothing to seek in.
#pragma once

#include <QIODevice>

class TSock;

class TSockStream : public QIODevice
{
    Q_OBJECT
public:
    explicit TSockStream(TSock *sock);

    bool isSequential() const override { return true; }
    // Seeking does nothing.
    bool seek(qint64) override { return false; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    TSock *sock;
};
