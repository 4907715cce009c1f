#include "shell/launchargs.h"

QStringList launchArguments(int argc, const char *const argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc && argv[i]; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

LaunchArgs parseLaunchArgs(const QStringList &arguments)
{
    LaunchArgs result;
    if (arguments.isEmpty()) {
        result.mode = LaunchArgs::Solo;
        result.ownName = QString::fromLatin1(SoloName);
        result.hostAddress = QString::fromLatin1(LocalAddress);
        return result;
    }
    result.mode = LaunchArgs::Incomplete;
    if (arguments.size() >= 3) {
        result.ownName = arguments[0];
        // An address that does not split is kept whole, as before ports were
        // taken here; its lookup then fails the way any bad name does.
        if (!splitHostPort(arguments[1], 0, result.hostAddress, result.hostPort)) {
            result.hostAddress = arguments[1];
            result.hostPort = 0;
        }
        result.mode = arguments[2] == QLatin1String(HostFlag) ? LaunchArgs::Host : LaunchArgs::Join;
    }
    // A rating is one character; a surrogate pair counts as one.
    if (arguments.size() >= 4 && !arguments[3].isEmpty()) {
        const QString &rating = arguments[3];
        const int length = rating.size() > 1 && rating[0].isHighSurrogate() ? 2 : 1;
        result.roomRating = rating.left(length);
    }
    return result;
}

bool splitHostPort(const QString &text, quint16 defaultPort, QString &host, quint16 &port)
{
    const QString t = text.trimmed();
    QString hostPart = t;
    QString portPart;
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close < 0) return false;
        hostPart = t.mid(1, close - 1);
        const QString after = t.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':'))) return false;
            portPart = after.mid(1);
            if (portPart.isEmpty()) return false;
        }
    } else if (t.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = t.indexOf(QLatin1Char(':'));
        hostPart = t.left(colon);
        portPart = t.mid(colon + 1);
        if (portPart.isEmpty()) return false;
    }
    if (hostPart.isEmpty()) return false;
    quint16 number = defaultPort;
    if (!portPart.isEmpty()) {
        if (portPart.size() > 5) return false;
        for (const QChar c : portPart)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        const uint value = portPart.toUInt();
        if (value < 1 || value > 65535) return false;
        number = quint16(value);
    }
    host = hostPart;
    port = number;
    return true;
}

bool parseInviteLink(const QString &link, QString &host, quint16 &port)
{
    const QString scheme = QString::fromLatin1(InviteScheme);
    if (link.size() > 300 || !link.startsWith(scheme, Qt::CaseInsensitive)) return false;
    QString rest = link.mid(scheme.size());
    if (rest.endsWith(QLatin1Char('/'))) rest.chop(1);
    // Only a host and a port: no user, path, query or blanks.
    for (const QChar c : rest)
        if (!(c.isLetterOrNumber() || QStringLiteral(".-_:[]%").contains(c))) return false;
    // A bare IPv6 address would be ambiguous with a port: links bracket it.
    if (!rest.startsWith(QLatin1Char('[')) && rest.count(QLatin1Char(':')) > 1) return false;
    return splitHostPort(rest, DefaultGamePort, host, port);
}

QString inviteLink(const QString &host, quint16 port)
{
    const QString shown = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return QString::fromLatin1(InviteScheme) + shown + QLatin1Char(':') + QString::number(port);
}
