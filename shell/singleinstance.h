// One running game per user session. The first instance holds the lock file
// "<name>.lock" in the session's runtime folder and listens on the local socket
// "<name>.socket" beside it; a later start finds the lock held, asks the first
// instance over that socket to come forward, and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // `folder` is where the lock file and the socket live; the user's runtime
    // folder unless a test points elsewhere.
    explicit SingleInstance(const QString &name, const QString &folder = defaultFolder(),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when an earlier instance holds the name; with `activate` it has then
    // been asked to come forward, and, given an invite link, to join that room.
    // False when this instance now holds the name.
    bool isPrevInstance(bool activate = true, const QString &inviteLink = QString());
    bool holdsName() const { return holding; }

    QString lockPath() const;
    QString socketPath() const;
    static QString defaultFolder();

signals:
    // A later start asked this instance to bring its window forward.
    void activationRequested();
    // ... and to join the room of this invite link (checked by the receiver).
    void joinRequested(const QString &inviteLink);

private:
    void readRequest();
    bool askToActivate(const QString &inviteLink) const;

    QString name;
    QString folder;
    QLockFile *lock = nullptr;
    QLocalServer *server = nullptr;
    bool holding = false;
};

// A named object held for the life of the process, where another program (the
// lobby) can test for it: the lock file "<name>.lock" in the runtime folder,
// locked by this process. Nothing in the game tests it.
class NamedLock
{
public:
    explicit NamedLock(const QString &name,
                       const QString &folder = SingleInstance::defaultFolder());
    ~NamedLock();
    NamedLock(const NamedLock &) = delete;
    NamedLock &operator=(const NamedLock &) = delete;
    bool held() const { return holding; }

private:
    QLockFile *lock = nullptr;
    bool holding = false;
};

inline constexpr char InstanceName[] = "wixel6";
inline constexpr char MarkerName[] = "quibbleton";
