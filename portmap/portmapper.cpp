#include "portmap/portmapper.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <functional>

#include <arpa/inet.h>
#include <cstring>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <natpmp.h>
#include <sys/select.h>
#include <sys/time.h>

namespace {
const char Description[] = "Quibbleton";

qint64 nowMs()
{
    timeval tv;
    gettimeofday(&tv, nullptr);
    return qint64(tv.tv_sec) * 1000 + tv.tv_usec / 1000;
}
} // namespace

// What one router said, kept for renewal and removal. Used by one job at a
// time only.
struct PortMapper::Router
{
    QString method;
    // Some router answered, even if it then refused.
    bool answered = false;
    bool upnpReady = false;
    UPNPUrls urls{};
    IGDdatas data{};
    char lanAddress[64] = {};

    ~Router()
    {
        if (upnpReady) FreeUPNPUrls(&urls);
    }

    bool upnpMap(const QList<quint16> &ports, int lease, QString &publicAddress)
    {
        if (!upnpReady) {
            int error = 0;
            UPNPDev *devices =
                upnpDiscover(PortMapper::AnswerWaitMs, nullptr, nullptr, 0, 0, 2, &error);
            if (!devices) return false;
            const int found =
                UPNP_GetValidIGD(devices, &urls, &data, lanAddress, int(sizeof lanAddress));
            freeUPNPDevlist(devices);
            if (found == 0) return false;
            answered = true;
            upnpReady = true;
            if (found != 1) {
                // Not a connected internet gateway: nothing to ask it.
                FreeUPNPUrls(&urls);
                upnpReady = false;
                return false;
            }
        }
        char external[40] = {};
        if (UPNP_GetExternalIPAddress(urls.controlURL, data.first.servicetype, external) == 0)
            publicAddress = QString::fromLatin1(external);
        const QByteArray leaseText = QByteArray::number(lease);
        for (quint16 port : ports) {
            const QByteArray p = QByteArray::number(port);
            int r = UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, p.constData(),
                                        p.constData(), lanAddress, Description, "TCP", nullptr,
                                        leaseText.constData());
            // OnlyPermanentLeasesSupported: such a mapping lasts until it is removed.
            if (r == 725)
                r = UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, p.constData(),
                                        p.constData(), lanAddress, Description, "TCP", nullptr,
                                        "0");
            if (r != 0) return false;
        }
        method = QStringLiteral("UPnP");
        return true;
    }

    static int answer(natpmp_t &n, natpmpresp_t &response)
    {
        const qint64 deadline = nowMs() + PortMapper::AnswerWaitMs;
        int r = NATPMP_TRYAGAIN;
        while (r == NATPMP_TRYAGAIN && nowMs() < deadline) {
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(n.s, &fds);
            timeval timeout;
            getnatpmprequesttimeout(&n, &timeout);
            const qint64 left = deadline - nowMs();
            if (qint64(timeout.tv_sec) * 1000 + timeout.tv_usec / 1000 > left) {
                timeout.tv_sec = left / 1000;
                timeout.tv_usec = (left % 1000) * 1000;
            }
            select(FD_SETSIZE, &fds, nullptr, nullptr, &timeout);
            r = readnatpmpresponseorretry(&n, &response);
        }
        return r;
    }

    // A lease of 0 removes the mappings.
    bool natpmp(const QList<quint16> &ports, int lease, QString &publicAddress)
    {
        natpmp_t n;
        if (initnatpmp(&n, 0, 0) < 0) return false;
        natpmpresp_t response;
        bool ok = true;
        if (lease > 0) {
            ok = sendpublicaddressrequest(&n) >= 0 && answer(n, response) >= 0 &&
                 response.resultcode == 0;
            if (ok) answered = true;
            if (ok) {
                char text[INET_ADDRSTRLEN] = {};
                inet_ntop(AF_INET, &response.pnu.publicaddress.addr, text, sizeof text);
                publicAddress = QString::fromLatin1(text);
            }
        }
        for (quint16 port : ports) {
            if (!ok) break;
            ok = sendnewportmappingrequest(&n, NATPMP_PROTOCOL_TCP, port, port, uint32_t(lease)) >=
                     0 &&
                 answer(n, response) >= 0 && response.resultcode == 0;
        }
        closenatpmp(&n);
        if (ok && lease > 0) method = QStringLiteral("NAT-PMP");
        return ok;
    }

    bool map(const QList<quint16> &ports, int lease, QString &publicAddress)
    {
        if (method != QLatin1String("NAT-PMP") && upnpMap(ports, lease, publicAddress)) return true;
        return natpmp(ports, lease, publicAddress);
    }

    void unmap(const QList<quint16> &ports)
    {
        if (method == QLatin1String("UPnP") && upnpReady) {
            for (quint16 port : ports) {
                const QByteArray p = QByteArray::number(port);
                UPNP_DeletePortMapping(urls.controlURL, data.first.servicetype, p.constData(),
                                       "TCP", nullptr);
            }
        } else if (method == QLatin1String("NAT-PMP")) {
            QString ignored;
            natpmp(ports, 0, ignored);
        }
        method.clear();
    }
};

PortMapper::PortMapper(QObject *parent)
    : QObject(parent), router(std::make_shared<Router>()), renewTimer(new QTimer(this))
{
    renewTimer->setSingleShot(true);
    connect(renewTimer, &QTimer::timeout, this, &PortMapper::renew);
}

PortMapper::~PortMapper()
{
    stop();
}

QString PortMapper::noRouterText()
{
    return QStringLiteral("No router answered the port-mapping request; the room plays on "
                          "without it.");
}

QString PortMapper::refusedText()
{
    return QStringLiteral("The router refused the port-mapping request; the room plays on "
                          "without it.");
}

QString PortMapper::mappedText(const Result &r)
{
    QStringList ports;
    for (quint16 p : r.ports)
        ports.append(QString::number(p));
    const QString where =
        r.publicAddress.isEmpty() ? QStringLiteral("the router's address") : r.publicAddress;
    return QStringLiteral("Port mapping (%1): %2 port %3 forwarded to this computer.")
        .arg(r.method, where, ports.join(QStringLiteral(", ")));
}

void PortMapper::runJob(std::function<void()> job)
{
    if (worker) {
        worker->wait();
        delete worker;
    }
    worker = QThread::create(std::move(job));
    worker->start();
}

void PortMapper::start(const QList<quint16> &ports)
{
    stop();
    wanted = ports;
    const auto r = router;
    const int lease = leaseSeconds;
    QPointer<PortMapper> self(this);
    runJob([r, ports, lease, self] {
        QString address;
        const bool ok = r->map(ports, lease, address);
        const QString method = r->method;
        const bool answered = r->answered;
        if (!self) return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, ok, address, method, ports, answered] {
                if (!self) return;
                if (!ok) {
                    emit self->failed(answered ? refusedText() : noRouterText());
                    return;
                }
                // Stopped meanwhile: the mapping is already gone again.
                if (self->router->method.isEmpty()) return;
                self->current = {method, address, ports};
                self->renewTimer->start(self->leaseSeconds * 500);
                emit self->mapped(self->current);
            },
            Qt::QueuedConnection);
    });
}

void PortMapper::renew()
{
    if (!isMapped()) return;
    const auto r = router;
    const QList<quint16> ports = wanted;
    const int lease = leaseSeconds;
    QPointer<PortMapper> self(this);
    runJob([r, ports, lease, self] {
        QString address;
        const bool ok = r->map(ports, lease, address);
        QMetaObject::invokeMethod(
            self.data(),
            [self, ok, address] {
                if (!self || !self->isMapped()) return;
                if (!address.isEmpty()) self->current.publicAddress = address;
                // A router that stopped answering is asked again at the next turn.
                self->renewTimer->start(self->leaseSeconds * 500);
                if (ok) emit self->renewed(self->current);
            },
            Qt::QueuedConnection);
    });
}

void PortMapper::stop()
{
    renewTimer->stop();
    if (worker) {
        worker->wait();
        delete worker;
        worker = nullptr;
    }
    if (!isMapped() && router->method.isEmpty()) return;
    router->unmap(wanted);
    current = Result();
    emit removed();
}
