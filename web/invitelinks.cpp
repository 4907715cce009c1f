#include "web/invitelinks.h"

#include <QNetworkInterface>
#include <utility>

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

QString reachOf(const QHostAddress &address)
{
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        // fc00::/7 is unique-local; 2000::/3 is the global unicast space.
        const quint8 first = address.toIPv6Address().c[0];
        if ((first & 0xfe) == 0xfc || address.isLinkLocal()) return QStringLiteral("local network");
        return QStringLiteral("IPv6 internet");
    }
    // RFC 1918 and the carrier-grade NAT range: not reachable from outside.
    for (const auto &[network, bits] : {std::pair{"10.0.0.0", 8}, std::pair{"172.16.0.0", 12},
                                        std::pair{"192.168.0.0", 16}, std::pair{"100.64.0.0", 10}})
        if (address.isInSubnet(QHostAddress(QString::fromLatin1(network)), bits))
            return QStringLiteral("local network");
    if (address.isLoopback() || address.isLinkLocal()) return QStringLiteral("local network");
    return QStringLiteral("internet");
}

QStringList desktopLinks(const QList<QHostAddress> &addresses, quint16 port,
                         const QString &mappedAddress)
{
    QStringList links;
    for (const QHostAddress &address : addresses) {
        QHostAddress plain = address;
        plain.setScopeId(QString());
        const QString host = plain.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QLatin1Char('[') + plain.toString() + QLatin1Char(']')
                                 : plain.toString();
        links.append(QStringLiteral("quibbleton://%1:%2 (%3)")
                         .arg(host)
                         .arg(port)
                         .arg(address.isLoopback() ? QStringLiteral("this computer only")
                                                   : reachOf(address)));
    }
    // A router behind another NAT reports a private address: no use from outside.
    const QHostAddress mapped(mappedAddress);
    if (mapped.protocol() == QAbstractSocket::IPv4Protocol && reachOf(mapped) == "internet")
        links.append(QStringLiteral("quibbleton://%1:%2 (mapped IPv4, from the internet)")
                         .arg(mapped.toString())
                         .arg(port));
    return links;
}

QStringList desktopLinks(quint16 port, const QString &mappedAddress)
{
    return desktopLinks(reachableAddresses(), port, mappedAddress);
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
