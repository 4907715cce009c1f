#include "web/invitelinks.h"

#include <QNetworkInterface>

namespace invite {

QString webLink(const QHostAddress &address, quint16 port)
{
    QHostAddress plain = address;
    plain.setScopeId(QString());
    const QString host = plain.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + plain.toString() + QLatin1Char(']')
                             : plain.toString();
    return QStringLiteral("http://%1:%2/").arg(host).arg(port);
}

QList<QHostAddress> reachableAddresses(const QList<QHostAddress> &candidates)
{
    QList<QHostAddress> v4;
    QList<QHostAddress> v6;
    for (const QHostAddress &address : candidates) {
        if (address.isLoopback() || address.isLinkLocal() || address.isMulticast() ||
            address.isNull() || address == QHostAddress::AnyIPv4 ||
            address == QHostAddress::AnyIPv6)
            continue;
        QList<QHostAddress> &list = address.protocol() == QAbstractSocket::IPv4Protocol ? v4 : v6;
        if (!list.contains(address)) list.append(address);
    }
    QList<QHostAddress> all = v4 + v6;
    if (all.isEmpty()) all.append(QHostAddress(QHostAddress::LocalHost));
    return all;
}

QList<QHostAddress> reachableAddresses()
{
    QList<QHostAddress> candidates;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        const auto entries = iface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries)
            candidates.append(entry.ip());
    }
    return reachableAddresses(candidates);
}

QStringList webLinks(quint16 port)
{
    QStringList links;
    const auto addresses = reachableAddresses();
    for (const QHostAddress &address : addresses)
        links.append(webLink(address, port));
    return links;
}

} // namespace invite
