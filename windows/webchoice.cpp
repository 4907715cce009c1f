#include "windows/webchoice.h"

#include "shell/profile.h"
#include "shell/settings.h"

namespace webchoice {

Choice read(const QString &file)
{
    Choice choice;
    const QString section = QString::fromLatin1(Section);
    choice.serve = settings::onUnlessFalse(
        profile::readString(file, section, QString::fromLatin1(KeyServe), QStringLiteral("true")));
    const int port =
        profile::readInteger(file, section, QString::fromLatin1(KeyPort), NextToGamePort);
    choice.port = (port >= 0 && port <= 65535) ? port : NextToGamePort;
    return choice;
}

bool write(const QString &file, const Choice &choice)
{
    return profile::writeStrings(file, QString::fromLatin1(Section),
                                 {{QString::fromLatin1(KeyServe), settings::flagText(choice.serve)},
                                  {QString::fromLatin1(KeyPort), QString::number(choice.port)}});
}

quint16 portFor(const Choice &choice, quint16 gamePort)
{
    if (choice.port >= 0) return quint16(choice.port);
    return gamePort < 65535 ? quint16(gamePort + 1) : 0;
}

} // namespace webchoice
