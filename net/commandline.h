// The dedicated programs' command lines (quibbleton-host, quibbleton-bot),
// read by QCommandLineParser and worded as these programs always have: an
// unknown argument is "unknown argument: X", a value left out "--name needs a
// value", a value refused the option's own words and the value. Options are
// long ("--port N" or "--port=N"), besides "-h"; nothing positional is taken.
#pragma once

#include <QCommandLineParser>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class CommandLine
{
public:
    enum class Result
    {
        Run,
        Help,
        Version,
        Error // `error` holds a one-line reason
    };

    // Knows "--help" (also "-h") and "--version" from the start.
    CommandLine();
    void addFlag(const QString &name, std::function<void()> take);
    // `take` returns false for a value it refuses, which then reads `fault`
    // followed by the value ("invalid port: " and "x").
    void addValue(const QString &name, const char *fault,
                  std::function<bool(const QString &value)> take);

    // `arguments` has the program name first, as QCoreApplication gives it.
    // The options are taken in command-line order, so a later value wins and
    // the first fault is the one told; "--help" or "--version" answers at
    // once, whatever follows it.
    Result parse(const QStringList &arguments, QString &error);

private:
    struct Option
    {
        bool takesValue = false;
        const char *fault = nullptr;
        std::function<void()> flag;
        std::function<bool(const QString &)> value;
    };
    QCommandLineParser parser;
    QHash<QString, Option> known;
};
