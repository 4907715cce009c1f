// Turns SIGINT and SIGTERM into a Qt signal on the event loop. The handler
// only writes one byte to a pipe (async-signal-safe); a socket notifier reads
// it on the GUI thread.
#pragma once

#include <QObject>

class QSocketNotifier;

class QuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;
    bool isValid() const { return notifier != nullptr; }

signals:
    void quitRequested(int signalNumber);

private:
    void readPipe();
    QSocketNotifier *notifier = nullptr;
};
