// The field readers and the message builders: any remainder reads back into the
// fields it was made of, numbers convert exactly when they are plain decimals
// in range, and no text can end a built message early or leak into the next
// field.
#include "fuzz/fuzzsupport.h"
#include "net/commands.h"
#include "net/framing.h"
#include "quibversion.h"

#include <QStringDecoder>
#include <charconv>

using fuzzsupport::Input;
using fuzzsupport::validUtf8;

namespace {

const char FF = '\xFF';

// An independent reading of "optional '-', then at least one digit, within int range".
bool referenceNumber(const QByteArray &text, int &out)
{
    const char *end = text.constData() + text.size();
    const auto [ptr, ec] = std::from_chars(text.constData(), end, out);
    return ec == std::errc() && ptr == end;
}

void checkReader(const QByteArray &remainder)
{
    cmd::FieldReader reader(remainder);
    QByteArray rebuilt;
    while (reader.rest().contains('+')) {
        const QByteArray before = reader.rest();
        const QByteArray field = reader.field();
        FUZZ_CHECK(!field.contains('+'), "a field holds no plus");
        FUZZ_CHECK(reader.rest().size() < before.size(), "every field consumes");
        rebuilt += field + '+';
    }
    FUZZ_CHECK(reader.field().isEmpty(), "no plus left reads empty");
    FUZZ_CHECK(rebuilt + reader.rest() == remainder, "fields and rest rebuild the remainder");

    cmd::FieldReader list = cmd::FieldReader::forList(remainder);
    int fields = 0;
    while (!list.listEnded() && fields <= remainder.size() + 1) {
        int value = 0;
        (void)list.number(value);
        ++fields;
    }
    FUZZ_CHECK(list.listEnded(), "a list always ends");
    FUZZ_CHECK(fields == remainder.count('+') + 1, "a list has one field per plus, plus one");
}

void checkNumber(const QByteArray &text)
{
    int value = 0, expected = 0;
    const bool ok = cmd::toNumber(text, value);
    FUZZ_CHECK(ok == referenceNumber(text, expected), "number accepted exactly when decimal");
    if (ok) FUZZ_CHECK(value == expected, "number value");
    if (text.contains('+')) return;
    cmd::FieldReader reader(text + '+');
    bool threw = false;
    try {
        (void)reader.number();
    } catch (const cmd::ParseError &) {
        threw = true;
    }
    FUZZ_CHECK(threw == !ok, "number() throws exactly when the field does not convert");
}

// One message from a builder: the terminator only at its end, the command word
// first, then the remainder the receiver reads.
QByteArray remainderOf(const QByteArray &message, const char *word, int terminators = 1)
{
    FUZZ_CHECK(message.endsWith(QByteArray(terminators, FF)), "message ends in its terminator");
    const QByteArray entry = message.chopped(terminators);
    FUZZ_CHECK(!entry.contains(FF), "no terminator inside a message");
    const SplitEntry split = splitEntry(entry);
    FUZZ_CHECK(split.valid && split.command == word, "command word first");
    return split.remainder;
}

QByteArray withoutFF(QByteArray text)
{
    return text.replace(QByteArray(1, FF), QByteArray());
}

void checkBuilders(const QByteArray &text, int number)
{
    const QByteArray clean = withoutFF(text);
    {
        cmd::FieldReader r(
            remainderOf(cmd::host::newplayerinfo(number, text), cmd::CMD_newplayerinfo));
        FUZZ_CHECK(r.number() == number && r.rest() == clean, "newplayerinfo fields");
    }
    FUZZ_CHECK(remainderOf(cmd::host::winner(text), cmd::CMD_winner) == clean, "winner text");
    FUZZ_CHECK(remainderOf(cmd::host::catchoosen(text), cmd::CMD_catchoosen) == clean,
               "category text");
    {
        cmd::FieldReader r(remainderOf(cmd::client::acro(number, text), cmd::CMD_acro));
        FUZZ_CHECK(r.number() == number, "acro slot");
        FUZZ_CHECK(r.rest() == cmd::acroToWire(clean) && !r.rest().contains('+'), "acro text");
    }
    {
        cmd::FieldReader r(
            remainderOf(cmd::client::logininfo(number, QUIB_VERSION, text), cmd::CMD_logininfo, 2));
        FUZZ_CHECK(r.number() == number && r.field() == QUIB_VERSION && r.rest() == clean,
                   "login fields");
    }
    {
        cmd::FieldReader r(remainderOf(cmd::client::chat(number, text, "clRed"), cmd::CMD_chat));
        FUZZ_CHECK(r.number() == number && r.rest() == clean + "|clRed", "chat fields");
    }
    {
        // An acro list holds whatever the answers are: one slot and one text each.
        const QList<cmd::SlotAcro> acros{{number, text}, {3, text + "+x"}};
        cmd::FieldReader r =
            cmd::FieldReader::forList(remainderOf(cmd::host::anacro(acros), cmd::CMD_anacro));
        for (const cmd::SlotAcro &a : acros) {
            FUZZ_CHECK(r.number() == a.first, "anacro slot");
            FUZZ_CHECK(r.field() == cmd::acroToWire(withoutFF(a.second)), "anacro text");
        }
        FUZZ_CHECK(r.listEnded(), "anacro list ends");
    }
    const QByteArray me = "/me" + text;
    const QByteArray action = cmd::withoutMe(me);
    FUZZ_CHECK(me.endsWith(action), "withoutMe keeps a tail");
    if (validUtf8(me)) FUZZ_CHECK(validUtf8(action), "withoutMe splits no character");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::startQt<QCoreApplication>(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const QByteArray first = in.text();
    const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
    checkReader(all);
    checkNumber(first);
    int number = 0;
    if (!cmd::toNumber(first, number)) number = int(first.size());
    checkBuilders(in.rest(), number);
    return 0;
}
