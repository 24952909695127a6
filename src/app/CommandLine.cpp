#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

struct Options {
    QCommandLineOption toggle{
        QStringLiteral("toggle"),
        QCoreApplication::translate("CommandLine",
                                    "Open or close the drawer of the running Hodgebin, "
                                    "starting Hodgebin when none runs. With a tab "
                                    "name the drawer opens on that tab.")};
    QCommandLineOption settings{
        QStringLiteral("settings"),
        QCoreApplication::translate("CommandLine",
                                    "Open the settings window of the running Hodgebin.")};
    QCommandLineOption status{
        QStringLiteral("status"),
        QCoreApplication::translate("CommandLine", "Print one line of JSON describing the running "
                                                   "Hodgebin: counts and kinds, never contents.")};
    QCommandLineOption quit{
        QStringLiteral("quit"),
        QCoreApplication::translate("CommandLine", "End the running Hodgebin.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QCoreApplication::translate("CommandLine", "Show this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QCoreApplication::translate("CommandLine", "Show the version.")};

    void addTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(QCoreApplication::translate(
            "CommandLine",
            "Hodgebin keeps a clipboard history, a file shelf, notes and recent screenshots in a\n"
            "drawer at the top of the screen. Without options it starts, or, when it already\n"
            "runs, opens the drawer of the running one."));
        parser.addOptions({toggle, settings, status, quit, help, version});
        parser.addPositionalArgument(
            QStringLiteral("tab"),
            QCoreApplication::translate("CommandLine",
                                        "With --toggle: the tab to open on, one of ") +
                commandLineTabNames() + QLatin1Char('.'),
            QStringLiteral("[tab]"));
    }
};

QString commandLineName(DrawerTab tab) {
    return rawValue(tab).toLower();
}

} // namespace

std::optional<DrawerTab> drawerTabFromCommandLineName(const QString& name) {
    for (DrawerTab tab : allDrawerTabs) {
        if (commandLineName(tab).compare(name, Qt::CaseInsensitive) == 0) {
            return tab;
        }
    }
    return std::nullopt;
}

QString commandLineTabNames() {
    QStringList names;
    for (DrawerTab tab : allDrawerTabs) {
        names.append(commandLineName(tab));
    }
    return names.join(QStringLiteral(", "));
}

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine result;
    Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }

    struct Choice {
        const QCommandLineOption& option;
        Mode mode;
    };
    const Choice choices[] = {{options.toggle, Mode::Toggle}, {options.settings, Mode::Settings},
                              {options.status, Mode::Status}, {options.quit, Mode::Quit},
                              {options.help, Mode::Help},     {options.version, Mode::Version}};
    QStringList chosen;
    for (const Choice& choice : choices) {
        if (parser.isSet(choice.option)) {
            chosen.append(QStringLiteral("--") + choice.option.names().constLast());
            result.mode = choice.mode;
        }
    }
    if (chosen.size() > 1) {
        result.mode = Mode::Run;
        result.error = QCoreApplication::translate("CommandLine", "choose one of %1")
                           .arg(chosen.join(QStringLiteral(", ")));
        return result;
    }

    const QStringList positional = parser.positionalArguments();
    if (result.mode == Mode::Toggle && positional.size() == 1) {
        result.tab = drawerTabFromCommandLineName(positional.first());
        if (!result.tab) {
            result.mode = Mode::Run;
            result.error =
                QCoreApplication::translate("CommandLine", "unknown tab \"%1\"; the tabs are %2")
                    .arg(positional.first(), commandLineTabNames());
        }
        return result;
    }
    if (!positional.isEmpty()) {
        const Mode mode = result.mode;
        result.mode = Mode::Run;
        result.error =
            mode == Mode::Toggle
                ? QCoreApplication::translate("CommandLine", "--toggle takes one tab name, not %1")
                      .arg(positional.join(QLatin1Char(' ')))
                : QCoreApplication::translate("CommandLine", "unexpected argument \"%1\"")
                      .arg(positional.first());
    }
    return result;
}

QString CommandLine::helpText() {
    Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    // Without an application object the parser cannot know the program's name.
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("hodgebin"));
    return text;
}
