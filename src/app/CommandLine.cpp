#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {

struct Options {
    QCommandLineOption toggle{QStringLiteral("toggle"),
                              QStringLiteral("Open or close the drawer of the running Hodgebin, "
                                             "starting Hodgebin when none runs. With a tab "
                                             "name the drawer opens on that tab.")};
    QCommandLineOption settings{
        QStringLiteral("settings"),
        QStringLiteral("Open the settings window of the running Hodgebin.")};
    QCommandLineOption status{QStringLiteral("status"),
                              QStringLiteral("Print one line of JSON describing the running "
                                             "Hodgebin: counts and kinds, never contents.")};
    QCommandLineOption quit{QStringLiteral("quit"), QStringLiteral("End the running Hodgebin.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version.")};

    void addTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(QStringLiteral(
            "Hodgebin keeps a clipboard history, a file shelf, notes and recent screenshots in a\n"
            "drawer at the top of the screen. Without options it starts, or, when it already\n"
            "runs, opens the drawer of the running one."));
        parser.addOptions({toggle, settings, status, quit, help, version});
        parser.addPositionalArgument(QStringLiteral("tab"),
                                     QStringLiteral("With --toggle: the tab to open on, one of ") +
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
        result.error = QStringLiteral("choose one of %1").arg(chosen.join(QStringLiteral(", ")));
        return result;
    }

    const QStringList positional = parser.positionalArguments();
    if (result.mode == Mode::Toggle && positional.size() == 1) {
        result.tab = drawerTabFromCommandLineName(positional.first());
        if (!result.tab) {
            result.mode = Mode::Run;
            result.error = QStringLiteral("unknown tab \"%1\"; the tabs are %2")
                               .arg(positional.first(), commandLineTabNames());
        }
        return result;
    }
    if (!positional.isEmpty()) {
        const Mode mode = result.mode;
        result.mode = Mode::Run;
        result.error = mode == Mode::Toggle
                           ? QStringLiteral("--toggle takes one tab name, not %1")
                                 .arg(positional.join(QLatin1Char(' ')))
                           : QStringLiteral("unexpected argument \"%1\"").arg(positional.first());
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
