#include "net/messages.h"

#include "net/commands.h"

namespace cmd {

Number Number::fromText(const QByteArray &text)
{
    Number number;
    number.text = text;
    number.ok = toNumber(text, number.value);
    if (!number.ok) number.value = 0;
    return number;
}

int Number::get() const
{
    if (!ok) throw ParseError(text);
    return value;
}

namespace wire {

// Reads one message's fields in order, the way FieldReader does.
class Reader
{
public:
    Reader(const QByteArray &remainder, bool list)
        : fields(list ? FieldReader::forList(remainder) : FieldReader(remainder)),
          empty(remainder.isEmpty())
    {
    }
    void Number(cmd::Number &out) { out = take(cmd::Number::fromText(fields.field())); }
    void Text(QByteArray &out) { out = fields.field(); }
    void Rest(QByteArray &out) { out = fields.rest(); }
    void Whole(cmd::Number &out) { out = take(cmd::Number::fromText(fields.rest())); }
    void Word(QByteArray &out)
    {
        const QByteArray rest = fields.rest();
        const int plus = rest.indexOf('+');
        out = plus < 0 ? rest : rest.left(plus);
    }
    template <class Group> void List(QList<Group> &out)
    {
        out.clear();
        if (empty) return;
        // Every group takes at least one field while the list has not ended.
        while (!fields.listEnded()) {
            Group group;
            group.read(*this);
            out.append(group);
        }
    }
    bool complete() const { return ok; }

private:
    cmd::Number take(const cmd::Number &number)
    {
        ok = ok && number.ok;
        return number;
    }

    FieldReader fields;
    bool empty = false;
    bool ok = true;
};

// Writes the command word, "+" and each field, then the terminator.
class Writer
{
public:
    explicit Writer(const char *word) : text(word) {}
    void Number(const cmd::Number &number) { put(number.text); }
    void Text(const QByteArray &field) { put(field); }
    void Rest(const QByteArray &field) { put(field); }
    void Whole(const cmd::Number &number) { put(number.text); }
    void Word(const QByteArray &field) { put(field); }
    template <class Group> void List(const QList<Group> &groups)
    {
        for (const Group &group : groups)
            group.write(*this);
    }
    QByteArray done(bool plus) const
    {
        return text + (plus ? QByteArray("+") : QByteArray()) + framing::Terminator;
    }

private:
    // A field never carries the terminator.
    void put(const QByteArray &field)
    {
        text += '+';
        if (!field.contains(framing::Terminator)) {
            text += field;
            return;
        }
        QByteArray copy = field;
        text += copy.replace(QByteArray(1, framing::Terminator), QByteArray());
    }

    QByteArray text;
};

} // namespace wire

// --- groups and messages, from the table ------------------------------------

#define QUIB_READ_FIELD(kind, name) reader.kind(name);
#define QUIB_WRITE_FIELD(kind, name) writer.kind(name);
#define QUIB_READ_LIST(group, name) reader.List(name);
#define QUIB_WRITE_LIST(group, name) writer.List(name);
#define QUIB_HAS_LIST(group, name) || true
#define QUIB_NO_LIST(kind, name)
#define QUIB_TAIL_Plus true
#define QUIB_TAIL_Bare false

#define QUIB_DEFINE_GROUP_READ(Name, fields)                                                       \
    void Name::read(wire::Reader &reader)                                                          \
    {                                                                                              \
        fields                                                                                     \
    }
#define QUIB_DEFINE_GROUP_WRITE(Name, fields)                                                      \
    void Name::write(wire::Writer &writer) const                                                   \
    {                                                                                              \
        fields                                                                                     \
    }
QUIB_GROUPS(QUIB_DEFINE_GROUP_READ, QUIB_READ_FIELD)
QUIB_GROUPS(QUIB_DEFINE_GROUP_WRITE, QUIB_WRITE_FIELD)

namespace {
template <class Message> constexpr bool hasList = false;
#define QUIB_DEFINE_HAS_LIST(direction, Name, word, tail, fields)                                  \
    template <> constexpr bool hasList<direction::Name> = false fields;
QUIB_MESSAGES(QUIB_DEFINE_HAS_LIST, QUIB_NO_LIST, QUIB_HAS_LIST)
} // namespace

#define QUIB_DEFINE_READ(direction, Name, word, tail, fields)                                      \
    bool direction::Name::read(const QByteArray &remainder)                                        \
    {                                                                                              \
        wire::Reader reader(remainder, hasList<direction::Name>);                                  \
        (void)reader;                                                                              \
        fields return reader.complete();                                                           \
    }
#define QUIB_DEFINE_BUILD(direction, Name, word, tail, fields)                                     \
    QByteArray direction::Name::build() const                                                      \
    {                                                                                              \
        wire::Writer writer(Word);                                                                 \
        fields return writer.done(QUIB_TAIL_##tail);                                               \
    }
QUIB_MESSAGES(QUIB_DEFINE_READ, QUIB_READ_FIELD, QUIB_READ_LIST)
QUIB_MESSAGES(QUIB_DEFINE_BUILD, QUIB_WRITE_FIELD, QUIB_WRITE_LIST)

// --- the table as data --------------------------------------------------------

#define QUIB_INFO_FIELD(kind, name) FieldInfo{#kind, #name, nullptr},
#define QUIB_INFO_LIST(group, name) FieldInfo{"List", #name, #group},
#define QUIB_INFO_MESSAGE(direction, Name, word, tail, fields)                                     \
    MessageInfo{#direction, #Name, word, #tail, {fields}},
#define QUIB_INFO_GROUP(Name, fields) GroupInfo{#Name, {fields}},

QList<MessageInfo> messageTable()
{
    return {QUIB_MESSAGES(QUIB_INFO_MESSAGE, QUIB_INFO_FIELD, QUIB_INFO_LIST)};
}

QList<GroupInfo> groupTable()
{
    return {QUIB_GROUPS(QUIB_INFO_GROUP, QUIB_INFO_FIELD)};
}

namespace {
QByteArray jsFields(const QList<FieldInfo> &fields)
{
    QByteArrayList parts;
    for (const FieldInfo &f : fields) {
        QByteArray part = "['" + QByteArray(f.name) + "', '" + QByteArray(f.kind) + "'";
        if (f.group) part += ", '" + QByteArray(f.group) + "'";
        parts << part + ']';
    }
    return '[' + parts.join(", ") + ']';
}
} // namespace

QByteArray messagesModule()
{
    QByteArray js =
        "// Written from the message table in net/messages.h (cmd::messagesModule); do\n"
        "// not edit. tests/web/tst_messagetable.cpp checks it and writes it again.\n"
        "//\n"
        "// Each message: its direction, its name, its command word, its tail (\"Plus\"\n"
        "// when it ends in a bare \"+\") and its fields as [name, kind] or, for a list,\n"
        "// [name, 'List', group].\n\n"
        "export const Groups = {\n";
    for (const GroupInfo &g : groupTable())
        js += "  " + QByteArray(g.name) + ": " + jsFields(g.fields) + ",\n";
    js += "};\n\nexport const Table = [\n";
    for (const MessageInfo &m : messageTable())
        js += "  { direction: '" + QByteArray(m.direction) + "', name: '" + m.name + "', word: '" +
              m.word + "', tail: '" + m.tail + "', fields: " + jsFields(m.fields) + " },\n";
    js += "];\n";
    return js;
}

} // namespace cmd
