// PortMapper: asks the home router, only when the player asked for it, to
// forward ports to this machine: UPnP IGD first (libminiupnpc), then NAT-PMP
// (libnatpmp). It renews the lease while it lives and removes its mappings
// when stopped or destroyed. The router talk blocks, so it runs on a thread of
// its own, one job at a time; results come back as signals on the owner's
// thread.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QThread;
class QTimer;

class PortMapper : public QObject
{
    Q_OBJECT
public:
    // How long a router has to answer each kind of request.
    static constexpr int AnswerWaitMs = 2500;
    static constexpr int DefaultLeaseSeconds = 3600;

    struct Result
    {
        QString method;        // "UPnP" or "NAT-PMP"
        QString publicAddress; // as the router reports it; may be empty
        QList<quint16> ports;  // the same TCP port numbers outside as inside
    };

    explicit PortMapper(QObject *parent = nullptr);
    // Removes what is mapped (waits for the router a few seconds at most).
    ~PortMapper() override;

    // Seam: a short lease makes renewal observable; renewal runs at half of it.
    void setLeaseSeconds(int seconds) { leaseSeconds = qMax(seconds, 2); }
    // Maps every port (TCP, the same number outside); reported by mapped() or
    // failed(), never from here.
    void start(const QList<quint16> &ports);
    // Removes the mappings now and stops renewing.
    void stop();
    bool isMapped() const { return !current.method.isEmpty(); }
    Result result() const { return current; }

    // The line a player reads when nothing answered.
    static QString noRouterText();
    // The line when a router answered but would not map the ports.
    static QString refusedText();
    // "Port mapping (UPnP): 203.0.113.5 port 7772, 7773 forwarded to this computer."
    static QString mappedText(const Result &result);

signals:
    void mapped(const PortMapper::Result &result);
    void renewed(const PortMapper::Result &result);
    void failed(const QString &message);
    void removed();

private:
    struct Router;
    void runJob(std::function<void()> job);
    void renew();

    std::shared_ptr<Router> router;
    QList<quint16> wanted;
    Result current;
    int leaseSeconds = DefaultLeaseSeconds;
    QTimer *renewTimer = nullptr;
    QThread *worker = nullptr;
};
