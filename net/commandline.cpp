#include "net/commandline.h"

CommandLine::CommandLine()
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    known.insert(QStringLiteral("help"), Option{});
    known.insert(QStringLiteral("version"), Option{});
}

void CommandLine::addFlag(const QString &name, std::function<void()> take)
{
    parser.addOption(QCommandLineOption(name));
    known.insert(name, Option{false, nullptr, std::move(take), {}});
}

void CommandLine::addValue(const QString &name, const char *fault,
                           std::function<bool(const QString &)> take)
{
    parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    known.insert(name, Option{true, fault, {}, std::move(take)});
}

CommandLine::Result CommandLine::parse(const QStringList &arguments, QString &error)
{
    // The parser's own messages name options differently ("Unknown option
    // 'x'."), so the first argument it cannot take is found here and worded
    // our way.
    qsizetype end = arguments.size();
    for (qsizetype i = 1; i < end; ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help") ||
            arg == QLatin1String("--version")) {
            end = i + 1; // it answers; what follows it does not count
            break;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const auto it = arg.startsWith(QLatin1String("--"))
                            ? known.constFind(arg.mid(2, eq < 0 ? -1 : eq - 2))
                            : known.constEnd();
        if (it == known.constEnd() || (!it->takesValue && eq >= 0)) {
            error = QStringLiteral("unknown argument: ") + arg;
            return Result::Error;
        }
        if (!it->takesValue || eq >= 0) continue;
        if (i + 1 >= end) {
            error = arg + QStringLiteral(" needs a value");
            return Result::Error;
        }
        ++i; // the value, whatever it looks like
    }
    if (!parser.parse(arguments.mid(0, end))) {
        error = parser.errorText();
        return Result::Error;
    }
    QHash<QString, int> taken; // how many values of each option are used up
    for (QString name : parser.optionNames()) {
        if (name == QLatin1String("h")) name = QStringLiteral("help");
        if (name == QLatin1String("help")) return Result::Help;
        if (name == QLatin1String("version")) return Result::Version;
        const Option &option = *known.constFind(name);
        if (!option.takesValue) {
            option.flag();
            continue;
        }
        const QStringList values = parser.values(name);
        const int n = taken[name]++;
        const QString value = n < values.size() ? values[n] : QString();
        if (!option.value(value)) {
            error = QLatin1String(option.fault) + value;
            return Result::Error;
        }
    }
    return Result::Run;
}
