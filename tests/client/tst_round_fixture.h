// A stand-in for the main window that the round screen tests drive the game area
// with: it records what would be sent, written to the chat and played, and holds
// the real player board.
#pragma once

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPair>
#include <QTest>
#include <memory>

#include "client/clientcontext.h"
#include "client/gamearea.h"
#include "client/playerboard.h"
#include "net/messages.h"
#include "resources/resourcenames.h"
#include "tests/support/testsupport.h"
#include "windows/tacrolog.h"
#include "windows/tcategorylist.h"
#include "windows/tgamestart.h"

// A host message's remainder read as the dispatcher reads it, for the game
// area's routines.
template <class Message> Message received(const QByteArray &remainder)
{
    Message message;
    message.read(remainder);
    return message;
}

class FakeMainWindow : public ClientContext
{
public:
    static constexpr int MainWidth = 794;

    FakeMainWindow()
    {
        res::init();
        main.setObjectName("chat");
        main.resize(MainWidth, 578);
        playerBoard = new PlayerBoard(&main);
        playerBoard->setGeometry(10, 297, 207, 230);
        for (const char *name : {"label_team1", "label_team2", "label_status"}) {
            auto *l = new QLabel(&main);
            l->setObjectName(name);
        }
        teamLines[0] = label("label_team1");
        teamLines[1] = label("label_team2");
        status = label("label_status");
        chat = new QLineEdit(&main);
        chat->setObjectName("mychat");
        startItem = new QAction(QStringLiteral("Start Game"), &main);
        startItem->setObjectName("StartGame1");
        startItem->setEnabled(false);

        options = std::make_unique<Tgamestart>();
        categories = std::make_unique<Tcategorylist>();
        log = std::make_unique<Tacrolog>();
        for (SideWindow *window :
             {static_cast<SideWindow *>(options.get()), static_cast<SideWindow *>(categories.get()),
              static_cast<SideWindow *>(log.get())})
            window->setNotifier([this](const QString &text) { notices << text; });

        area = new Tgamearea(this, &main);
        area->setGeometry(1, 1, 782, 283);
        area->seedRandom(7);
        st.ownName = QStringLiteral("Bob");
    }

    // A player logged in at a slot, with names on the board.
    void login(int slot, const QString &name = QStringLiteral("Bob"))
    {
        st.ownSlot = slot;
        st.ownName = name;
        st.loggedIn = true;
        if (slot <= 12) setBoardName(slot, name);
    }
    void setBoardName(int slot, const QString &name) { playerBoard->showPlayer(slot, name); }
    template <class T = QWidget> T *control(const QString &name) const
    {
        return main.findChild<T *>(name);
    }
    QLabel *label(const QString &name) const { return control<QLabel>(name); }
    QString text(const QString &name) const
    {
        const QLabel *l = label(name);
        return l ? l->text() : QStringLiteral("<missing %1>").arg(name);
    }
    bool shown(const QString &name) const
    {
        const QWidget *w = control(name);
        return w && !w->isHidden();
    }
    // The one stage panel that is not hidden, or "" / "several".
    QString visiblePanel() const
    {
        QString visible;
        for (const char *name : {"panel_over", "panel_catagory", "panel_inbonus", "panel_team",
                                 "panel_creating", "panel_voting"}) {
            if (!shown(name)) continue;
            visible = visible.isEmpty() ? QString::fromLatin1(name) : QStringLiteral("several");
        }
        return visible;
    }
    QByteArray takeSent()
    {
        QByteArray all;
        for (const QByteArray &m : sent)
            all += m;
        sent.clear();
        return all;
    }
    // Lines of the voting screen from the top: the slot whose answer is on each.
    QList<int> answerLines() const
    {
        QList<int> lines;
        for (int i = 1; i <= 12; ++i) {
            for (int n = 1; n <= 12; ++n) {
                const QLabel *acro = label("label_acro" + QString::number(n));
                if (acro && acro->y() == roworder::rowTop(i)) lines << n;
            }
        }
        return lines;
    }

    // ClientContext.
    ClientState &state() override { return st; }
    void sendToHost(const QByteArray &message) override
    {
        if (st.loggedIn) sent << message;
    }
    void addlinetochat(const QString &line, TColor colour) override
    {
        chatLines << qMakePair(line, colour);
    }
    void playsounds(const QString &name) override { sounds << name; }
    PlayerBoard &board() override { return *playerBoard; }
    void setStatus(const QString &text) override { status->setText(text); }
    void setTeamLines(const QString &yellow, const QString &white) override
    {
        teamLines[0]->setText(yellow);
        teamLines[1]->setText(white);
    }
    void setStartGameEnabled(bool enabled) override { startItem->setEnabled(enabled); }
    void focusChatEntry() override { chat->setFocus(); }
    Tgamestart *gameOptions() override { return options.get(); }
    Tcategorylist *categoryList() override { return categories.get(); }
    Tacrolog *acroLog() override { return log.get(); }

    testsupport::TempProgramFolder folder;
    ClientState st;
    QWidget main;
    Tgamearea *area = nullptr;
    PlayerBoard *playerBoard = nullptr;
    QLabel *teamLines[2] = {};
    QLabel *status = nullptr;
    QLineEdit *chat = nullptr;
    QAction *startItem = nullptr;
    std::unique_ptr<Tgamestart> options;
    std::unique_ptr<Tcategorylist> categories;
    std::unique_ptr<Tacrolog> log;
    QList<QByteArray> sent;
    QList<QPair<QString, TColor>> chatLines;
    QStringList sounds;
    QStringList notices;
};

// A message as the command table builds it, for comparing with what was sent.
inline QByteArray wire(const char *text)
{
    return QByteArray(text) + '\xFF';
}
