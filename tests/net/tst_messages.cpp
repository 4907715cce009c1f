// The message table's readers: every message reads back what its builder
// wrote, and the readers keep the quirks every receiver has always had.
#include "net/commands.h"
#include "net/messages.h"

#include <QtTest>

using namespace cmd;

namespace {

// A sample for every field: numbers 7, texts "t", rests "r+r", two groups in a
// list.
void fill(Number &n)
{
    n = 7;
}
void fill(QByteArray &text)
{
    text = "t";
}
#define SAMPLE_MEMBER(kind, name) fill(m.name);
#define SAMPLE_GROUP(Name, fields)                                                                 \
    void fill(Name &m)                                                                             \
    {                                                                                              \
        fields                                                                                     \
    }
QUIB_GROUPS(SAMPLE_GROUP, SAMPLE_MEMBER)
#undef SAMPLE_GROUP

template <class Group> void fill(QList<Group> &list)
{
    Group group;
    fill(group);
    list = {group, group};
}

template <class Message> QByteArray remainderOf(const QByteArray &built)
{
    return built.mid(qstrlen(Message::Word) + 1).chopped(1);
}

struct RoundTrip
{
    QByteArray built;
    QByteArray again;
    bool complete = false;
};

template <class Message> RoundTrip roundTrip(Message message)
{
    RoundTrip result;
    result.built = message.build();
    Message read;
    result.complete = read.read(remainderOf<Message>(result.built));
    result.again = read.build();
    return result;
}

} // namespace

Q_DECLARE_METATYPE(RoundTrip)

class TestMessages : public QObject
{
    Q_OBJECT
private slots:
    void everyMessageReadsBack_data()
    {
        QTest::addColumn<RoundTrip>("trip");
#define SAMPLE_MESSAGE(direction, Name, word, tail, fields)                                        \
    {                                                                                              \
        direction::Name message;                                                                   \
        auto fillAll = [](direction::Name &m) {                                                    \
            (void)m;                                                                               \
            fields                                                                                 \
        };                                                                                         \
        fillAll(message);                                                                          \
        QTest::newRow(#direction "::" #Name) << roundTrip(message);                                \
    }
#define SAMPLE_LIST(group, name) fill(m.name);
        QUIB_MESSAGES(SAMPLE_MESSAGE, SAMPLE_MEMBER, SAMPLE_LIST)
#undef SAMPLE_MESSAGE
#undef SAMPLE_MEMBER
#undef SAMPLE_LIST
    }
    void everyMessageReadsBack()
    {
        QFETCH(RoundTrip, trip);
        const QByteArray tag = QTest::currentDataTag();
        // A sound's name travels with the "+" after it: the host reads it as
        // part of the rest and relays it, and the client reads the name up to
        // it; without it the name reads as empty, as it always has.
        if (tag == "toHost::Sound") {
            QCOMPARE(trip.again, QByteArray("CMD_playasound+7+t++\xFF"));
            return;
        }
        if (tag == "toClient::Sound") {
            QCOMPARE(trip.again, QByteArray("CMD_playasound+7+\xFF"));
            return;
        }
        QVERIFY(trip.complete);
        QCOMPARE(trip.again, trip.built);
    }

    // The quirks of reading, kept: a number field with no "+" after it reads
    // as empty, the error names the field as it came, an empty remainder is an
    // empty list and "+" alone is one group of empty fields.
    void quirks()
    {
        toClient::Letters letters;
        QVERIFY(!letters.read("4"));
        QCOMPARE(letters.letterCount.text, QByteArray());
        QVERIFY_THROWS_EXCEPTION(ParseError, letters.letterCount.get());
        try {
            toClient::NextPlayer next;
            next.read("x3+f+");
            next.chooser.get();
            QFAIL("no error");
        } catch (const ParseError &error) {
            QCOMPARE(QByteArray(error.what()), QByteArray("'x3' is not a valid integer value"));
        }

        toClient::Answers none;
        QVERIFY(none.read(""));
        QVERIFY(none.acros.isEmpty());
        toClient::Answers blank;
        QVERIFY(!blank.read("+"));
        QCOMPARE(blank.acros.size(), 1);

        // A list message reads its head fields with "+@" appended: the team
        // flag is there with no pairs after it.
        toClient::Stats stats;
        QVERIFY(stats.read("3+30+60+t"));
        QCOMPARE(stats.teamGame, QByteArray("t"));
        QVERIFY(stats.teams.isEmpty());
        // A short last group reads its missing fields as empty.
        toClient::Scores scores;
        QVERIFY(!scores.read("f+0+0+4+9"));
        QCOMPARE(scores.scores.size(), 1);
        QCOMPARE(scores.scores[0].total.value, 9);
        QCOMPARE(scores.scores[0].points.text, QByteArray());

        toPort::Join join;
        join.read("abc+def");
        QCOMPARE(join.token, QByteArray("abc"));
        join.read("abc");
        QCOMPARE(join.token, QByteArray("abc"));
        toClient::DoVote vote;
        QVERIFY(!vote.read("3+"));
        QCOMPARE(vote.slot.text, QByteArray("3+"));
    }

    void joinedLetters_data()
    {
        QTest::addColumn<QByteArray>("letters");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("joined");
        QTest::newRow("one field") << QByteArray("CAT") << 3 << QByteArray("CAT");
        QTest::newRow("fields") << QByteArray("C+A+T") << 3 << QByteArray("CAT");
        QTest::newRow("fewer asked") << QByteArray("C+A+T") << 2 << QByteArray("CA");
        QTest::newRow("empty field") << QByteArray("C++T") << 3 << QByteArray("CT");
        QTest::newRow("none asked") << QByteArray("C+A") << 0 << QByteArray();
        QTest::newRow("negative") << QByteArray("C+A") << -4 << QByteArray();
    }
    void joinedLetters()
    {
        QFETCH(QByteArray, letters);
        QFETCH(int, count);
        QFETCH(QByteArray, joined);
        QCOMPARE(cmd::joinedLetters(letters, count), joined);
    }

    // Dispatch hands a message only to a handler that takes its struct, and
    // only among its own direction's words.
    void dispatch()
    {
        QList<int> chats;
        int entered = 0;
        struct Handler
        {
            QList<int> &chats;
            int &entered;
            void operator()(const toHost::Chat &m) { chats.append(m.slot.value); }
            void operator()(const toClient::Entered &m) { entered = m.slot.value; }
        } handler{chats, entered};
        QVERIFY(cmd::dispatch<ToHost>("CMD_chat+4+hi|clRed", handler));
        QVERIFY(!cmd::dispatch<ToHost>("CMD_kickhim+4+2+", handler));
        QVERIFY(!cmd::dispatch<ToHost>("CMD_entered+4", handler));
        QVERIFY(!cmd::dispatch<ToHost>("CMD_chat", handler));
        QVERIFY(cmd::dispatch<ToClient>("CMD_entered+9", handler));
        QCOMPARE(chats, QList<int>{4});
        QCOMPARE(entered, 9);
    }
};

QTEST_GUILESS_MAIN(TestMessages)
#include "tst_messages.moc"
