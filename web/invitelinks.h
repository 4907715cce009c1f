// The addresses a room's web port can be reached on, as links to share.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

namespace invite {

// "http://ADDRESS:PORT/", with IPv6 addresses in brackets.
QString webLink(const QHostAddress &address, quint16 port);

// The machine's own addresses that another machine can use: IPv4 and IPv6
// of interfaces that are up, without loopback and link-local ones (a link
// cannot carry an interface's scope), IPv4 first. Only 127.0.0.1 when there
// is no other.
QList<QHostAddress> reachableAddresses();
QList<QHostAddress> reachableAddresses(const QList<QHostAddress> &candidates);

QStringList webLinks(quint16 port);

// Where others reach a machine at this address from: "local network"
// (private IPv4, unique-local IPv6), "IPv6 internet" (global IPv6) or
// "internet" (public IPv4).
QString reachOf(const QHostAddress &address);
// The desktop program's invite links, "quibbleton://HOST:PORT (where)", one
// per address, then the router's public address while a port mapping holds
// ("mapped IPv4").
QStringList desktopLinks(const QList<QHostAddress> &addresses, quint16 port,
                         const QString &mappedAddress = QString());
QStringList desktopLinks(quint16 port, const QString &mappedAddress = QString());

} // namespace invite
