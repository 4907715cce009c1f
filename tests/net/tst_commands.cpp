// Every message's bytes, and reading them back the way the receiver does.
#include "net/commands.h"
#include "net/framing.h"

#include <QtTest>

using namespace cmd;

namespace {

const QByteArray FF(1, '\xFF');
const QByteArray version(GameVersion);

// How the receiver reads a remainder: `head` single fields, then groups of
// `group` fields until the list ends (list messages get "+@" appended), then
// the rest of the message if `rest` is set.
struct Reading
{
    bool list = false;
    int head = 0;
    int group = 0;
    bool rest = false;
};
Reading fields(int head)
{
    return {false, head, 0, false};
}
Reading fieldsThenRest(int head)
{
    return {false, head, 0, true};
}
Reading listOf(int head, int group)
{
    return {true, head, group, false};
}

} // namespace

Q_DECLARE_METATYPE(Reading)

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void emptyLists_data();
    void emptyLists();
    void relays_data();
    void relays();
    void acroTravelsWithTilde();
    void fieldReader_data();
    void fieldReader();
    void numberFields();
    void toNumber_data();
    void toNumber();
    void terminatorDropped_data();
    void terminatorDropped();
    void withoutMe_data();
    void withoutMe();
};

void TestCommands::roundTrip_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Reading>("reading");
    QTest::addColumn<QList<QByteArray>>("read");

    using L = QList<QByteArray>;
    auto row = [](const char *name, const QByteArray &built, const QByteArray &wire,
                  const QByteArray &command, Reading reading, const L &read) {
        QTest::newRow(name) << built << wire + FF << command << reading << read;
    };

    // Client to host, read by the host.
    row("logininfo", client::logininfo(5, GameVersion, "Bob+Al"),
        "CMD_logininfo+5+" + version + "+Bob+Al" + FF, CMD_logininfo, fieldsThenRest(2),
        L{"5", version, "Bob+Al"});
    row("kickhim", client::kickhim(1, 5), "CMD_kickhim+1+5+", CMD_kickhim, fields(2), L{"1", "5"});
    row("chat", client::chat(3, "a+b c", "clRed"), "CMD_chat+3+a+b c|clRed", CMD_chat,
        fieldsThenRest(1), L{"3", "a+b c|clRed"});
    row("action", client::action(3, "waves", "$00FF8000"), "CMD_action+3+waves|$00FF8000",
        CMD_action, fieldsThenRest(1), L{"3", "waves|$00FF8000"});
    row("phrase", client::phrase(3, "Thanks!", "clRed"), "CMD_action+3+ says: Thanks!|clRed",
        CMD_action, fieldsThenRest(1), L{"3", " says: Thanks!|clRed"});
    row("me phrase", client::phrase(3, "/me bows", "clRed"), "CMD_action+3+bows|clRed", CMD_action,
        fieldsThenRest(1), L{"3", "bows|clRed"});
    row("me phrase after a no-break space",
        client::phrase(3,
                       "/me\xc2\xa0"
                       "bows",
                       "clRed"),
        "CMD_action+3+bows|clRed", CMD_action, fieldsThenRest(1), L{"3", "bows|clRed"});
    row("playasound", client::playasound(4, 12), "CMD_playasound+4+wave12+", CMD_playasound,
        fieldsThenRest(1), L{"4", "wave12+"});
    {
        GameOptions o;
        o.starterName = "Ann";
        row("startgame initial options", client::startgame(o),
            "CMD_startgame+Ann+30+60+t+10+none+t+f+7+f+f+", CMD_startgame, fieldsThenRest(11),
            L{"Ann", "30", "60", "t", "10", "none", "t", "f", "7", "f", "f", ""});
        o = {"Bob", 45, 90, false, 8, true, false, true, 5, true, true};
        row("startgame all changed", client::startgame(o),
            "CMD_startgame+Bob+45+90+f+8+team+f+t+5+t+t+", CMD_startgame, fieldsThenRest(11),
            L{"Bob", "45", "90", "f", "8", "team", "f", "t", "5", "t", "t", ""});
    }
    row("catchoosen", client::catchoosen(2, "Rock + Roll"), "CMD_catchoosen+2+Rock + Roll",
        CMD_catchoosen, fieldsThenRest(1), L{"2", "Rock + Roll"});
    row("acro", client::acro(2, "A+B C"), "CMD_acro+2+A~B C", CMD_acro, fieldsThenRest(1),
        L{"2", "A~B C"});
    row("choosenacro", client::choosenacro(2, 7), "CMD_choosenacro+2+7+", CMD_choosenacro,
        fields(2), L{"2", "7"});
    row("chooseteam", client::chooseteam(6, 2), "CMD_chooseteam+6+2+", CMD_chooseteam, fields(2),
        L{"6", "2"});

    // Host to client, read by the client.
    row("sendlogininfo", host::sendlogininfo(13), "CMD_sendlogininfo+13", CMD_sendlogininfo,
        fieldsThenRest(0), L{"13"});
    row("full", host::full(), "CMD_full+", CMD_full, fieldsThenRest(0), L{""});
    row("newplayerinfo", host::newplayerinfo(4, "Bob+Al"), "CMD_newplayerinfo+4+Bob+Al",
        CMD_newplayerinfo, fieldsThenRest(1), L{"4", "Bob+Al"});
    row("existingplayers", host::existingplayers(1, "Ann"), "CMD_existingplayers+1+Ann",
        CMD_existingplayers, fieldsThenRest(1), L{"1", "Ann"});
    row("havewrongversion", host::havewrongversion("Bob"), "CMD_havewrongversion+Bob",
        CMD_havewrongversion, fieldsThenRest(0), L{"Bob"});
    row("wrongversion", host::wrongversion(), "CMD_wrongversion+", CMD_wrongversion,
        fieldsThenRest(0), L{""});
    row("stats without teams", host::stats(4, 30, 60, false, {}), "CMD_stats+4+30+60+f", CMD_stats,
        listOf(4, 2), L{"4", "30", "60", "f"});
    row("stats with teams", host::stats(4, 25, 45, true, {{1, 1}, {3, 2}}),
        "CMD_stats+4+25+45+t+1+1+3+2", CMD_stats, listOf(4, 2),
        L{"4", "25", "45", "t", "1", "1", "3", "2"});
    row("playerdisconnected", host::playerdisconnected(5, "Cid"), "CMD_playerdisconnected+5+Cid",
        CMD_playerdisconnected, fieldsThenRest(1), L{"5", "Cid"});
    row("chat relay", host::chat("Ann", "hi|clRed"), "CMD_chat+Ann chats: hi|clRed", CMD_chat,
        fieldsThenRest(0), L{"Ann chats: hi|clRed"});
    row("action relay", host::action("Ann", "waves|clBlue"), "CMD_action+Ann waves|clBlue",
        CMD_action, fieldsThenRest(0), L{"Ann waves|clBlue"});
    row("playasound relay", host::playasound(4, "wave12+"), "CMD_playasound+4+wave12+",
        CMD_playasound, fields(2), L{"4", "wave12"});
    {
        const GameAnnouncement g{"Ann", "30", "60", "t", "10", "t", "f"};
        row("startgame announcement", host::startgame(g), "CMD_startgame+Ann+30+60+t+10+t+f+",
            CMD_startgame, fields(7), L{"Ann", "30", "60", "t", "10", "t", "f"});
        row("teamgame announcement", host::teamgame(g), "CMD_teamgame+Ann+30+60+t+10+t+f+",
            CMD_teamgame, fields(7), L{"Ann", "30", "60", "t", "10", "t", "f"});
    }
    row("histeam one player", host::histeam(7, 2), "CMD_histeam+7+2", CMD_histeam, listOf(0, 2),
        L{"7", "2"});
    row("histeam list", host::histeamList({{1, 1}, {2, 2}, {4, 1}}), "CMD_histeam+1+1+2+2+4+1",
        CMD_histeam, listOf(0, 2), L{"1", "1", "2", "2", "4", "1"});
    row("nextplayer", host::nextplayer(3, "t"), "CMD_nextplayer+3+t+", CMD_nextplayer, fields(2),
        L{"3", "t"});
    row("cats", host::cats(5), "CMD_cats+5+", CMD_cats, fields(1), L{"5"});
    row("inbonus", host::inbonus("2,5"), "CMD_inbonus+2,5", CMD_inbonus, fieldsThenRest(0),
        L{"2,5"});
    row("inbonus too many", host::inbonus("0"), "CMD_inbonus+0", CMD_inbonus, fieldsThenRest(0),
        L{"0"});
    row("catchoosen announcement", host::catchoosen("Rock + Roll"), "CMD_catchoosen+Rock + Roll",
        CMD_catchoosen, fieldsThenRest(0), L{"Rock + Roll"});
    row("theletters", host::theletters(4, "BCDF"), "CMD_theletters+4+BCDF", CMD_theletters,
        listOf(2, 0), L{"4", "BCDF"});
    row("entered", host::entered(11), "CMD_entered+11", CMD_entered, fieldsThenRest(0), L{"11"});
    row("noanswer", host::noanswer(), "CMD_noanswer+", CMD_noanswer, fieldsThenRest(0), L{""});
    row("anacro", host::anacro({{2, "Big~Bad"}, {5, "Cats Are Cool"}}),
        "CMD_anacro+2+Big~Bad+5+Cats Are Cool", CMD_anacro, listOf(0, 2),
        L{"2", "Big~Bad", "5", "Cats Are Cool"});
    row("anacro stray plus", host::anacro({{3, "A+B"}, {4, "C"}}), "CMD_anacro+3+A~B+4+C",
        CMD_anacro, listOf(0, 2), L{"3", "A~B", "4", "C"});
    row("dovote", host::dovote(9), "CMD_dovote+9", CMD_dovote, fieldsThenRest(0), L{"9"});
    row("updatetime", host::updatetime(58), "CMD_updatetime+58", CMD_updatetime, fieldsThenRest(0),
        L{"58"});
    row("updatetime at zero", host::updatetime(-2), "CMD_updatetime+-2", CMD_updatetime,
        fieldsThenRest(0), L{"-2"});
    row("novotes", host::novotes(), "CMD_novotes+", CMD_novotes, fieldsThenRest(0), L{""});
    row("thevotes",
        host::thevotes({{true, true, false, 2, "Ann", 3}, {false, false, true, 5, "Bob", 0}}),
        "CMD_thevotes+y+y+n+2+Ann+3+n+n+y+5+Bob+0", CMD_thevotes, listOf(0, 6),
        L{"y", "y", "n", "2", "Ann", "3", "n", "n", "y", "5", "Bob", "0"});
    row("postscores", host::postscores(true, 12, 7, {{1, 12, 8}, {2, 7, 0}}),
        "CMD_postscores+t+12+7+1+12+8+2+7+0", CMD_postscores, listOf(3, 3),
        L{"t", "12", "7", "1", "12", "8", "2", "7", "0"});
    row("postscores nobody", host::postscores(false, 0, 0, {}), "CMD_postscores+f+0+0",
        CMD_postscores, listOf(3, 3), L{"f", "0", "0"});
    row("winner", host::winner("Ann and Bob"), "CMD_winner+Ann and Bob", CMD_winner,
        fieldsThenRest(0), L{"Ann and Bob"});
}

void TestCommands::roundTrip()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, command);
    QFETCH(Reading, reading);
    QFETCH(QList<QByteArray>, read);

    QCOMPARE(built, wire);

    ReceiveQueue queue;
    Framer framer;
    QVERIFY(framer.feed(built, queue));
    QCOMPARE(framer.pendingSize(), 0);
    const SplitEntry split = splitEntry(queue.takeFirst().text);
    QVERIFY(split.valid);
    QCOMPARE(split.command, command);
    // Only the login carries a second terminator, and it makes an empty entry.
    while (!queue.isEmpty())
        QVERIFY(queue.takeFirst().text.isEmpty());

    FieldReader reader =
        reading.list ? FieldReader::forList(split.remainder) : FieldReader(split.remainder);
    QList<QByteArray> got;
    for (int i = 0; i < reading.head; ++i)
        got.append(reader.field());
    if (reading.list) {
        while (!reader.listEnded() && got.size() < 100) {
            for (int i = 0; i < qMax(reading.group, 1); ++i)
                got.append(reader.field());
        }
        QVERIFY(reader.listEnded());
    }
    if (reading.rest) got.append(reader.rest());
    QCOMPARE(got, read);
}

void TestCommands::emptyLists_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("wire");

    // A list's first group brings its own "+", so an empty list leaves the bare
    // command word, which the receiving pump does not dispatch.
    QTest::newRow("histeam during team choice") << host::histeamBare() << "CMD_histeam" + FF;
    QTest::newRow("histeam empty list") << host::histeamList({}) << "CMD_histeam" + FF;
    QTest::newRow("anacro") << host::anacro({}) << "CMD_anacro" + FF;
    QTest::newRow("thevotes") << host::thevotes({}) << "CMD_thevotes" + FF;
}

void TestCommands::emptyLists()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, wire);
    QCOMPARE(built, wire);
    QVERIFY(!splitEntry(built.chopped(1)).valid);
}

void TestCommands::relays_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("relayed");

    QTest::newRow("chat line") << client::chat(3, "hi", "clRed")
                               << "CMD_chat+Ann chats: hi|clRed" + FF;
    QTest::newRow("phrase button")
        << client::phrase(3, "Thanks!", "clRed") << "CMD_action+Ann  says: Thanks!|clRed" + FF;
    QTest::newRow("me phrase") << client::phrase(3, "/me dances", "clLime")
                               << "CMD_action+Ann dances|clLime" + FF;
    QTest::newRow("me line") << client::action(3, cmd::withoutMe("/me sighs"), "clLime")
                             << "CMD_action+Ann sighs|clLime" + FF;
}

// The host reads the sender's slot and relays the rest under the sender's name.
void TestCommands::relays()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, relayed);

    const SplitEntry split = splitEntry(sent.chopped(1));
    FieldReader reader(split.remainder);
    QCOMPARE(reader.number(), 3);
    const QByteArray out = split.command == CMD_chat ? host::chat("Ann", reader.rest())
                                                     : host::action("Ann", reader.rest());
    QCOMPARE(out, relayed);
}

void TestCommands::acroTravelsWithTilde()
{
    const QByteArray sent = client::acro(2, "A+B");
    QCOMPARE(sent, "CMD_acro+2+A~B" + FF);

    FieldReader atHost(splitEntry(sent.chopped(1)).remainder);
    QCOMPARE(atHost.number(), 2);
    const QByteArray stored = atHost.rest();

    const QByteArray vote = host::anacro({{2, stored}, {5, "C"}});
    FieldReader atClient = FieldReader::forList(splitEntry(vote.chopped(1)).remainder);
    QCOMPARE(atClient.number(), 2);
    QCOMPARE(acroFromWire(atClient.field()), QByteArray("A+B"));
}

void TestCommands::fieldReader_data()
{
    QTest::addColumn<QByteArray>("remainder");
    QTest::addColumn<bool>("list");
    QTest::addColumn<QByteArray>("steps"); // f: field, r: rest
    QTest::addColumn<QList<QByteArray>>("expected");

    using L = QList<QByteArray>;
    QTest::newRow("field followed by plus")
        << QByteArray("a+b+") << false << QByteArray("ffr") << L{"a", "b", ""};
    QTest::newRow("last field without plus reads empty")
        << QByteArray("a+b") << false << QByteArray("ffr") << L{"a", "", "b"};
    QTest::newRow("nothing at all") << QByteArray() << false << QByteArray("ffr") << L{"", "", ""};
    QTest::newRow("empty first field")
        << QByteArray("+x+") << false << QByteArray("ffr") << L{"", "x", ""};
    QTest::newRow("rest keeps its plus signs")
        << QByteArray("4+Bob+Al+") << false << QByteArray("fr") << L{"4", "Bob+Al+"};
    QTest::newRow("list gets its end mark")
        << QByteArray("2+x+5+y") << true << QByteArray("ffffr") << L{"2", "x", "5", "y", "@"};
    QTest::newRow("list ending in bare plus")
        << QByteArray("3+") << true << QByteArray("ffr") << L{"3", "", "@"};
    QTest::newRow("reading past the end mark")
        << QByteArray("1") << true << QByteArray("fffr") << L{"1", "", "", "@"};
    QTest::newRow("at sign inside a list")
        << QByteArray("@+@") << true << QByteArray("ffr") << L{"@", "@", "@"};
}

void TestCommands::fieldReader()
{
    QFETCH(QByteArray, remainder);
    QFETCH(bool, list);
    QFETCH(QByteArray, steps);
    QFETCH(QList<QByteArray>, expected);

    FieldReader reader = list ? FieldReader::forList(remainder) : FieldReader(remainder);
    QList<QByteArray> got;
    for (char step : steps)
        got.append(step == 'f' ? reader.field() : reader.rest());
    QCOMPARE(got, expected);
    QCOMPARE(reader.listEnded(), list);
}

void TestCommands::numberFields()
{
    FieldReader reader("12+x++-7");
    QCOMPARE(reader.number(), 12);
    try {
        reader.number();
        QFAIL("a field that is not a number must throw");
    } catch (const ParseError &error) {
        QCOMPARE(QByteArray(error.what()), QByteArray("'x' is not a valid integer value"));
    }
    try {
        reader.number();
        QFAIL("an empty field must throw");
    } catch (const ParseError &error) {
        QCOMPARE(QByteArray(error.what()), QByteArray("'' is not a valid integer value"));
    }
    // "-7" has no "+" after it, so it reads as empty; the default stays.
    int value = 60;
    QVERIFY(!reader.number(value));
    QCOMPARE(value, 60);
    QCOMPARE(reader.rest(), QByteArray("-7"));

    FieldReader list = FieldReader::forList("-7");
    QVERIFY(list.number(value));
    QCOMPARE(value, -7);
}

void TestCommands::toNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("minus alone") << QByteArray("-") << false << 0;
    QTest::newRow("minus zero") << QByteArray("-0") << true << 0;
    QTest::newRow("leading zeros") << QByteArray("007") << true << 7;
    QTest::newRow("many leading zeros") << QByteArray("0000000000000012") << true << 12;
    QTest::newRow("largest") << QByteArray("2147483647") << true << 2147483647;
    QTest::newRow("one past largest") << QByteArray("2147483648") << false << 0;
    QTest::newRow("smallest") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
    QTest::newRow("one past smallest") << QByteArray("-2147483649") << false << 0;
    QTest::newRow("far too long") << QByteArray("99999999999999999999999") << false << 0;
    QTest::newRow("leading blank") << QByteArray(" 5") << false << 0;
    QTest::newRow("trailing blank") << QByteArray("5 ") << false << 0;
    QTest::newRow("plus sign") << QByteArray("+5") << false << 0;
    QTest::newRow("double minus") << QByteArray("--5") << false << 0;
    QTest::newRow("hex") << QByteArray("0x10") << false << 0;
    QTest::newRow("letters after") << QByteArray("12ab") << false << 0;
}

void TestCommands::toNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, value);

    int out = 4242;
    QCOMPARE(cmd::toNumber(text, out), ok);
    QCOMPARE(out, ok ? value : 4242);
}

void TestCommands::terminatorDropped_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("wire");

    const QByteArray bad = "A" + FF + "B";
    QTest::newRow("login name") << client::logininfo(2, GameVersion, bad)
                                << "CMD_logininfo+2+" + version + "+AB" + FF + FF;
    QTest::newRow("chat line and colour") << client::chat(2, bad, bad) << "CMD_chat+2+AB|AB" + FF;
    QTest::newRow("category") << client::catchoosen(2, bad) << "CMD_catchoosen+2+AB" + FF;
    QTest::newRow("acro") << client::acro(2, bad) << "CMD_acro+2+AB" + FF;
    QTest::newRow("starter name") << client::startgame({bad}).left(19)
                                  << QByteArray("CMD_startgame+AB+30");
    QTest::newRow("player name") << host::newplayerinfo(3, bad) << "CMD_newplayerinfo+3+AB" + FF;
    QTest::newRow("relay") << host::chat(bad, bad) << "CMD_chat+AB chats: AB" + FF;
    QTest::newRow("result name") << host::thevotes({{true, true, true, 1, bad, 2}})
                                 << "CMD_thevotes+y+y+y+1+AB+2" + FF;
    QTest::newRow("winner") << host::winner(bad) << "CMD_winner+AB" + FF;
    QTest::newRow("only terminators") << host::catchoosen(FF + FF) << "CMD_catchoosen+" + FF;
}

void TestCommands::terminatorDropped()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, wire);
    QCOMPARE(built, wire);
}

void TestCommands::withoutMe_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("blank after me") << QByteArray("/me waves") << QByteArray("waves");
    QTest::newRow("two blanks") << QByteArray("/me  waves") << QByteArray(" waves");
    QTest::newRow("nothing after me") << QByteArray("/me") << QByteArray();
    QTest::newRow("one character after me") << QByteArray("/me ") << QByteArray();
    QTest::newRow("letter after me") << QByteArray("/mewaves") << QByteArray("aves");
    QTest::newRow("two-byte character after me")
        << QByteArray("/me\xc3\xa9 waves") << QByteArray(" waves");
    QTest::newRow("four-byte character after me")
        << QByteArray("/me\xf0\x9f\x98\x80waves") << QByteArray("waves");
}

void TestCommands::withoutMe()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, sent);
    QCOMPARE(cmd::withoutMe(line), sent);
    QVERIFY(QString::fromUtf8(cmd::withoutMe(line)).toUtf8() == cmd::withoutMe(line));
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
