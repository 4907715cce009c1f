// The chat: what the entry box sends, how received lines look, phrase
// buttons, chatter sounds, scroll off, web addresses and the chat options.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSettings>
#include <QToolButton>

#include "chattest.h"
#include "windows/tphrases.h"

class TestChat : public QObject
{
    Q_OBJECT

private:
    // Logged in as Bob in slot 3 with the settings read (text colour white).
    std::unique_ptr<ChatFixture> loggedIn()
    {
        auto f = std::make_unique<ChatFixture>();
        if (!f->login(3)) return nullptr;
        f->arrive(3);
        return f;
    }
    // Types into the entry box and presses Enter (press and release).
    void type(ChatFixture &f, const QString &text)
    {
        // Key events are made from Latin-1 text only.
        bool latin = true;
        for (QChar c : text)
            latin = latin && c.unicode() < 0x80;
        if (latin)
            QTest::keyClicks(f.chat->chatEntry(), text);
        else
            f.chat->chatEntry()->setText(text);
        QTest::keyClick(f.chat->chatEntry(), Qt::Key_Return);
    }

private slots:
    void initTestCase() { res::init(); }

    void sendit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent"); // empty: nothing is sent
        QTest::newRow("chat") << "hello" << QByteArray("CMD_chat+3+hello|clWhite");
        QTest::newRow("me") << "/me waves" << QByteArray("CMD_action+3+waves|clWhite");
        QTest::newRow("me without blank") << "/mewaves" << QByteArray("CMD_action+3+aves|clWhite");
        QTest::newRow("other command") << "/away" << QByteArray();
        QTest::newRow("ME is a command") << "/ME waves" << QByteArray();
        QTest::newRow("plus inside") << "a+b" << QByteArray("CMD_chat+3+a+b|clWhite");
        QTest::newRow("unicode") << QString::fromUtf8("café ☕")
                                 << QByteArray("CMD_chat+3+caf\xC3\xA9 \xE2\x98\x95|clWhite");
    }
    void sendit()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        auto f = loggedIn();
        QVERIFY(f);
        type(*f, typed);
        QVERIFY(f->chat->chatEntry()->text().isEmpty());
        // A marker line shows what went out before it.
        type(*f, QStringLiteral("marker"));
        QVERIFY(!f->host.waitFor("CMD_chat+3+marker").isEmpty());
        const int marker = int(f->host.messages.indexOf("CMD_chat+3+marker|clWhite"));
        const QByteArray before = f->host.messages.value(marker - 1);
        if (sent.isEmpty())
            QVERIFY(before.startsWith(cmd::CMD_logininfo) || before.isEmpty());
        else
            QCOMPARE(before, sent);
    }

    // A pasted line longer than the host relays is cut at a character
    // boundary so that the relayed field, colour included, fits.
    void longLinesAreCut_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("three-byte characters") << QString(22000, QChar(0x2603));
        QTest::newRow("ascii") << QString(30000, u'a');
        QTest::newRow("action") << "/me " + QString(22000, QChar(0x2603));
    }
    void longLinesAreCut()
    {
        QFETCH(QString, typed);
        auto f = loggedIn();
        QVERIFY(f);
        f->chat->chatEntry()->setText(typed);
        QTest::keyClick(f->chat->chatEntry(), Qt::Key_Return);
        const QByteArray sent = f->host.waitFor(typed.startsWith('/') ? "CMD_action" : "CMD_chat");
        const QByteArray field = sent.mid(sent.indexOf("+3+") + 3);
        QVERIFY(field.size() <= cmd::MaxTextBytes);
        QVERIFY(field.size() > cmd::MaxTextBytes - 20);
        QVERIFY(field.endsWith("|clWhite"));
        const QString line = QString::fromUtf8(field.chopped(8));
        QVERIFY(typed.contains(line));
        QVERIFY(!line.contains(QChar::ReplacementCharacter));
    }

    void markupPhraseIsSentAndShownAsTyped()
    {
        auto f = loggedIn();
        QVERIFY(f);
        const QString phrase = QStringLiteral("<img src=\"/dev/zero\"> <b>&amp;</b>");
        f->chat->setPhrase(1, phrase);
        auto *first = f->find<QToolButton>("b_phrase1");
        QVERIFY(!first->toolTip().contains(QStringLiteral("<img")));
        first->click();
        QCOMPARE(f->host.waitFor(cmd::CMD_action),
                 "CMD_action+3+ says: " + phrase.toUtf8() + "|clWhite");
    }

    void actionUsesActionColour()
    {
        auto f = loggedIn();
        QVERIFY(f);
        f->colourAnswer = 0x00FF00;
        f->action("ActionColor1")->trigger();
        type(*f, QStringLiteral("/me dances"));
        QCOMPARE(f->host.waitFor(cmd::CMD_action), QByteArray("CMD_action+3+dances|clLime"));
    }

    void enterBeforeLoginKeepsTheText()
    {
        ChatFixture f;
        type(f, QStringLiteral("hello"));
        QCOMPARE(f.chat->chatEntry()->text(), QStringLiteral("hello"));
    }

    void placeholderGoesAtTheFirstKeyAndNeverComesBack()
    {
        ChatFixture f;
        ChatEntry *entry = f.chat->chatEntry();
        QCOMPARE(entry->text(), QStringLiteral("<Enter Chat Here>"));
        QTest::keyClick(entry, Qt::Key_A);
        QCOMPARE(entry->text(), QStringLiteral("a"));
        QVERIFY(f.login(3));
        QTest::keyClick(entry, Qt::Key_Return);
        QVERIFY(entry->text().isEmpty());
    }

    void placeholderGoesWithTheFocus()
    {
        ChatFixture f;
        f.chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.chat.get()));
        f.chat->activateWindow();
        f.chat->chatEntry()->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(f.chat->chatEntry()->text().isEmpty());
    }

    void receivedLines_data()
    {
        QTest::addColumn<QByteArray>("remainder");
        QTest::addColumn<bool>("oneColour");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("bold");
        QTest::addColumn<QColor>("colour");
        const QColor red(255, 0, 0), white(255, 255, 255), silver(192, 192, 192);
        QTest::newRow("chat") << QByteArray("Ann chats: hi|clRed") << false << "Ann chats: hi"
                              << "Ann chats:" << red;
        QTest::newRow("one colour for all")
            << QByteArray("Ann chats: hi|clRed") << true << "Ann chats: hi"
            << "Ann chats:" << white;
        QTest::newRow("no bar") << QByteArray("Ann chats: hi") << true << "Ann chats: hi"
                                << "Ann chats:" << silver;
        QTest::newRow("bar inside the text")
            << QByteArray("Ann chats: a|b|clRed") << false << "Ann chats: a"
            << "Ann chats:" << silver;
        QTest::newRow("action") << QByteArray("Ann waves|clLime") << false << "Ann waves"
                                << "" << QColor(0, 255, 0);
        QTest::newRow("phrase") << QByteArray("Ann  says: Thanks!|$004080FF") << false
                                << "Ann  says: Thanks!"
                                << "Ann  says:" << QColor(255, 128, 64);
        QTest::newRow("lower-case name")
            << QByteArray("Ann chats: x|clwhite") << false << "Ann chats: x"
            << "Ann chats:" << white;
        QTest::newRow("unreadable colour")
            << QByteArray("Ann chats: x|clPink") << false << "Ann chats: x"
            << "Ann chats:" << silver;
    }
    void receivedLines()
    {
        QFETCH(QByteArray, remainder);
        QFETCH(bool, oneColour);
        QFETCH(QString, line);
        QFETCH(QString, bold);
        QFETCH(QColor, colour);
        auto f = loggedIn();
        QVERIFY(f);
        if (oneColour) f->action("onlyone")->trigger();
        f->receive("CMD_chat+" + remainder);
        QCOMPARE(f->lastLine(), line);
        const QTextBlock block = f->chat->chatDisplay()->document()->lastBlock();
        QCOMPARE(f->boldPart(block), bold);
        for (auto it = block.begin(); !it.atEnd(); ++it)
            QCOMPARE(it.fragment().charFormat().foreground().color(), colour);
    }

    void phraseButtons()
    {
        auto f = loggedIn();
        QVERIFY(f);
        auto *first = f->find<QToolButton>("b_phrase1");
        first->click();
        QCOMPARE(f->host.waitFor(cmd::CMD_action),
                 QByteArray("CMD_action+3+ says: Nice Acros!|clWhite"));
        // A second press within the pause sends nothing.
        f->chat->setPhrasePause(60 * 60 * 1000);
        f->find<QToolButton>("b_phrase2")->click();
        f->chat->setPhrasePause(0);
        auto *seventh = f->find<QToolButton>("b_phrase7");
        f->chat->setPhrase(7, QStringLiteral("/me dances"));
        seventh->click();
        QVERIFY(f->waitForCount(cmd::CMD_action, 2));
        QCOMPARE(f->host.count(cmd::CMD_action), 2);
        QCOMPARE(f->host.messages.last(), QByteArray("CMD_action+3+dances|clWhite"));
    }

    void phrasePauseEndsWithTime()
    {
        auto f = loggedIn();
        QVERIFY(f);
        f->chat->setPhrasePause(50);
        QTRY_VERIFY(f->chat->phraseReady());
        f->find<QToolButton>("b_phrase5")->click();
        QVERIFY(!f->chat->phraseReady());
        QTRY_VERIFY(f->chat->phraseReady());
        f->find<QToolButton>("b_phrase5")->click();
        QVERIFY(f->waitForCount("CMD_action+3+ says: Brilliant!", 2));
    }

    void phrasesWaitAtStart()
    {
        ChatFixture f;
        f.chat->setPhrasePause(Tchat::PhrasePauseMs);
        QVERIFY(!f.chat->phraseReady());
    }

    void tenthButtonOpensTheSoundMenu()
    {
        auto f = loggedIn();
        QVERIFY(f);
        f->chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(f->chat.get()));
        f->find<QToolButton>("b_phrase10")->click();
        QTRY_VERIFY(f->chat->soundMenu()->isVisible());
        f->chat->soundMenu()->hide();
        QCOMPARE(f->host.count(cmd::CMD_action), 0);
    }

    void soundMenuSends()
    {
        auto f = loggedIn();
        QVERIFY(f);
        QStringList captions;
        for (QAction *item : f->chat->soundMenu()->actions())
            captions << item->text();
        QCOMPARE(captions, QStringList({"<Cancel>", "Doh", "Cough", "Hello", "Thank You",
                                        "Where have you been?", "Snoring", "Sneezing", "Sorry",
                                        "Welcome", "Yeehaa", "Yippee", "Oh No"}));
        f->action("Cancel1")->trigger();
        f->action("wave3")->trigger();
        QCOMPARE(f->host.waitFor(cmd::CMD_playasound), QByteArray("CMD_playasound+3+wave3+"));
        QCOMPARE(f->host.count(cmd::CMD_playasound), 1);
    }

    void chatterSounds_data()
    {
        QTest::addColumn<QByteArray>("remainder");
        QTest::addColumn<bool>("chatterOn");
        QTest::addColumn<QString>("line");  // empty: no line
        QTest::addColumn<QString>("sound"); // empty: no sound
        QTest::newRow("heard") << QByteArray("3+wave3+") << true << ""
                               << "wave3";
        QTest::newRow("notice") << QByteArray("3+wave3+") << false << "Bob: <Chatter Sound> Hello"
                                << "";
        QTest::newRow("notice by item name")
            << QByteArray("3+WAVE12+") << false << "Bob: <Chatter Sound> Oh No"
            << "";
        QTest::newRow("spy has no notice") << QByteArray("13+wave3+") << false << ""
                                           << "";
        QTest::newRow("slot not a number") << QByteArray("x+wave3+") << false << ""
                                           << "";
        QTest::newRow("unknown sound") << QByteArray("3+chat+") << false << ""
                                       << "";
        QTest::newRow("missing name") << QByteArray("3") << false << ""
                                      << "";
    }
    void chatterSounds()
    {
        QFETCH(QByteArray, remainder);
        QFETCH(bool, chatterOn);
        QFETCH(QString, line);
        QFETCH(QString, sound);
        auto f = loggedIn();
        QVERIFY(f);
        f->action("PlayChatterSounds1")->setChecked(chatterOn);
        f->action("PlaySounds1")->setChecked(false); // chatter sounds do not ask this
        const int before = int(f->lines().size());
        f->sounds.clear();
        f->receive("CMD_playasound+" + remainder);
        if (line.isEmpty()) {
            QCOMPARE(f->lines().size(), before);
        } else {
            QCOMPARE(f->lastLine(), line);
            QCOMPARE(f->lastLineColour(), QColor(0, 0, 255));
        }
        QCOMPARE(f->sounds, sound.isEmpty() ? QStringList() : QStringList{sound});
    }

    void gameSoundsFollowPlaySounds()
    {
        ChatFixture f;
        f.chat->playsounds(QStringLiteral("vote"));
        f.action("PlaySounds1")->setChecked(false);
        f.chat->playsounds(QStringLiteral("winner"));
        QCOMPARE(f.sounds, QStringList{"vote"});
    }

    void scrollOffKeepsTheView()
    {
        ChatFixture f;
        f.chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.chat.get()));
        for (int i = 0; i < 200; ++i)
            f.chat->addlinetochat(QString::number(i), 0xC0C0C0);
        QScrollBar *bar = f.chat->chatDisplay()->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
        f.action("Scrollchatoff2")->trigger();
        QVERIFY(f.chat->scrollOff());
        QVERIFY(f.action("Scrollchatoff1")->isChecked());
        bar->setValue(10);
        f.chat->addlinetochat(QStringLiteral("new"), 0xC0C0C0);
        QCOMPARE(bar->value(), 10);
        // The context menu's item toggles it back and both marks follow.
        f.action("Scrollchatoff1")->trigger();
        QVERIFY(!f.chat->scrollOff());
        QVERIFY(!f.action("Scrollchatoff2")->isChecked());
        f.chat->addlinetochat(QStringLiteral("newer"), 0xC0C0C0);
        QCOMPARE(bar->value(), bar->maximum());
    }

    void linesAreBounded()
    {
        ChatFixture f;
        for (int i = 0; i < Tchat::MaxChatLines + 50; ++i)
            f.chat->addlinetochat(QStringLiteral("line %1").arg(i), 0xC0C0C0);
        QTextDocument *doc = f.chat->chatDisplay()->document();
        QVERIFY(doc->blockCount() <= Tchat::MaxChatLines);
        QCOMPARE(doc->lastBlock().text(), QStringLiteral("line %1").arg(Tchat::MaxChatLines + 49));
        f.chat->addlinetochat(QString(100000, u'x'), 0xC0C0C0);
        QCOMPARE(doc->lastBlock().text().size(), Tchat::MaxChatLineLength);
    }

    void webAddresses()
    {
        ChatFixture f;
        f.chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.chat.get()));
        ChatDisplay *display = f.chat->chatDisplay();
        QWidget *view = display->viewport();
        auto pointAt = [&](int position) {
            QTextCursor c(display->document());
            c.setPosition(position);
            return display->cursorRect(c).center() + QPoint(2, 0);
        };
        auto move = [&](QPoint at) {
            QMouseEvent e(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
            QApplication::sendEvent(view, &e);
            return view->cursor().shape();
        };
        auto click = [&](QPoint at, Qt::MouseButton button) {
            QMouseEvent e(QEvent::MouseButtonPress, at, view->mapToGlobal(at), button, button,
                          Qt::NoModifier);
            QApplication::sendEvent(view, &e);
            QMouseEvent r(QEvent::MouseButtonRelease, at, view->mapToGlobal(at), button,
                          Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view, &r);
        };

        // Over an empty display the pointer stays normal and a click opens nothing.
        QCOMPARE(move(QPoint(20, 10)), Qt::IBeamCursor);
        click(QPoint(20, 10), Qt::LeftButton);
        QVERIFY(f.opened.isEmpty());

        f.chat->addlinetochat(QStringLiteral("Ann chats: see www.example.com, now"), 0xC0C0C0);
        const QString text = display->document()->toPlainText();
        const int inside = int(text.indexOf(QStringLiteral("example")));
        QCOMPARE(move(pointAt(inside)), Qt::PointingHandCursor);
        QCOMPARE(move(pointAt(int(text.indexOf(QStringLiteral("see"))))), Qt::IBeamCursor);
        click(pointAt(inside), Qt::RightButton);
        QVERIFY(f.opened.isEmpty());
        click(pointAt(inside), Qt::LeftButton);
        QCOMPARE(f.opened, QStringList{"www.example.com"});
        QCOMPARE(display->textCursor().selectedText(), QStringLiteral("www.example.com"));

        // Only web addresses open: a file, mail or ftp address is text.
        for (const QString &address :
             {QStringLiteral("file:///etc/passwd"), QStringLiteral("ftp://x.example/a"),
              QStringLiteral("mailto:a@b.example")}) {
            f.chat->addlinetochat("Ann chats: " + address, 0xC0C0C0);
            const QString all = display->document()->toPlainText();
            const QPoint at = pointAt(int(all.lastIndexOf(address)) + 3);
            QCOMPARE(move(at), Qt::IBeamCursor);
            click(at, Qt::LeftButton);
        }
        QCOMPARE(f.opened, QStringList{"www.example.com"});
    }

    void copyTakesTheSelection()
    {
        ChatFixture f;
        f.chat->addlinetochat(QStringLiteral("Ann chats: copy me"), 0xC0C0C0);
        QTextCursor c(f.chat->chatDisplay()->document());
        c.setPosition(11);
        c.setPosition(18, QTextCursor::KeepAnchor);
        f.chat->chatDisplay()->setTextCursor(c);
        f.action("Copy1")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copy me"));
    }

    void textSizeWritesTheSettings()
    {
        auto f = loggedIn();
        QVERIFY(f);
        f->action("N14")->trigger();
        QVERIFY(f->action("N14")->isChecked());
        QVERIFY(!f->action("N8")->isChecked());
        QCOMPARE(f->chat->chatDisplay()->font().pointSize(), 14);
        QCOMPARE(settings::readMain(f->settingsFile()).textSize, 14);
    }

    void textColourWrittenOnlyWhenConfirmed()
    {
        auto f = loggedIn();
        QVERIFY(f);
        QFile::remove(f->settingsFile());
        f->colourAnswer.reset();
        f->action("TextColor1")->trigger();
        QVERIFY(!QFile::exists(f->settingsFile()));
        QCOMPARE(f->chat->textColour(), colortext::clWhite);

        f->colourAnswer = 0x0000FF;
        f->action("TextColor1")->trigger();
        QCOMPARE(settings::readMain(f->settingsFile()).textColor, QStringLiteral("clRed"));
        QCOMPARE(f->chat->chatEntry()->palette().color(QPalette::Text), QColor(255, 0, 0));
        type(*f, QStringLiteral("hi"));
        QCOMPARE(f->host.waitFor("CMD_chat+3+hi"), QByteArray("CMD_chat+3+hi|clRed"));
    }

    void actionColourWrittenEvenWhenCancelled()
    {
        auto f = loggedIn();
        QVERIFY(f);
        QFile::remove(f->settingsFile());
        f->colourAnswer.reset();
        f->action("ActionColor1")->trigger();
        QCOMPARE(settings::readMain(f->settingsFile()).actionColor, QStringLiteral("clWhite"));
        f->colourAnswer = 0x123456;
        f->action("ActionColor1")->trigger();
        QCOMPARE(settings::readMain(f->settingsFile()).actionColor, QStringLiteral("$00123456"));
    }

    void optionTogglesWriteTheSettings_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("after");
        QTest::newRow("play sounds") << "PlaySounds1"
                                     << "Playsounds"
                                     << "false";
        QTest::newRow("chatter sounds") << "PlayChatterSounds1"
                                        << "ChatterSounds"
                                        << "false";
        QTest::newRow("rating notice") << "showpop"
                                       << "Showpop"
                                       << "false";
        QTest::newRow("one colour") << "onlyone"
                                    << "Onlyone"
                                    << "true";
    }
    void optionTogglesWriteTheSettings()
    {
        QFETCH(QString, item);
        QFETCH(QString, key);
        QFETCH(QString, after);
        auto f = loggedIn();
        QVERIFY(f);
        f->action(item)->trigger();
        QSettings ini(f->settingsFile(), QSettings::IniFormat);
        QCOMPARE(ini.value("Quibbleton/" + key).toString(), after);
        // The whole section goes out at once.
        QCOMPARE(ini.value("Quibbleton/Textcolor").toString(), QStringLiteral("clWhite"));
    }

    void phraseListEditsTheButtons()
    {
        auto f = loggedIn();
        QVERIFY(f);
        f->action("PhraseList1")->trigger();
        Tphrases *phrases = f->chat->sideWindows().phrases;
        QVERIFY(phrases->isVisible());
        QCOMPARE(phrases->phrases().value(0), QStringLiteral("Nice Acros!"));
        QCOMPARE(phrases->phrases().value(9), QStringLiteral("See ya!"));
        auto *box4 = phrases->findChild<QLineEdit *>("phrase4");
        QVERIFY(box4);
        box4->clear();
        auto *box10 = phrases->findChild<QLineEdit *>("phrase10");
        box10->setText(QStringLiteral("Bye"));
        phrases->SelButton8Click();
        QCOMPARE(f->find<QToolButton>("b_phrase4")->toolTip(), QString());
        QCOMPARE(f->find<QToolButton>("b_phrase10")->toolTip(), QStringLiteral("Bye"));
        // The tenth button still opens the sound menu instead of sending.
        QCOMPARE(f->host.count(cmd::CMD_action), 0);

        // At the next start the empty phrase leaves the built-in one.
        ChatFixture next;
        setProgramFolder(f->folder.path());
        QVERIFY(next.login(3));
        next.arrive(3);
        QCOMPARE(next.find<QToolButton>("b_phrase4")->toolTip(), QStringLiteral("Excellent!"));
        QCOMPARE(next.find<QToolButton>("b_phrase10")->toolTip(), QStringLiteral("Bye"));
        setProgramFolder(next.folder.path());
    }
};

QTEST_MAIN(TestChat)
#include "tst_chat.moc"
