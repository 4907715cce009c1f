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
        result.hostAddress = arguments[1];
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
