#include "common/Program.h"
#include "meter/Meter.h"
#include "platform/PlatformFactory.h"
#include "platform/Session.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <optional>

namespace {

// Exit status of a command line that is not understood, as other Linux tools use.
constexpr int UsageError = 2;

// --help and --version answer before there is an application, so they need
// no display. Returns the exit status when the program ends here.
std::optional<int> answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A battery gauge: a small always-on-top bar at the top of the screen.\n"
                       "See dimmerling(1) for the settings file and the diagnostics."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version."));
    parser.addOptions({help, version});
    // Without an application Qt cannot name the program in the usage line.
    const QString usage = parser.helpText().replace(QLatin1String("<executable_name>"), QStringLiteral("dimmerling"));
    const bool parsed = parser.parse(arguments);
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        const QString error = parsed
            ? QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst())
            : parser.errorText();
        std::fprintf(stderr, "dimmerling: %s\n%s", qPrintable(error), qPrintable(usage));
        return UsageError;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(usage), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("dimmerling %s\n", qPrintable(Program::Version));
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const auto status = answerCommandLine(argc, argv))
        return *status;
    Session::preferX11();
    // Qt would abort with a core dump and a hint to reinstall.
    if (const QString problem = Session::displayProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "dimmerling: %s\n", qPrintable(problem));
        return 1;
    }
    Session::settleBaseFolders();
    if (!SingleInstance::claim()) {
        std::fprintf(stderr, "dimmerling: already running on display %s; not starting a second gauge\n",
                     qPrintable(SingleInstance::displayName()));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(Program::Name);
    QApplication::setApplicationVersion(Program::Version);
    // Wayland and the task managers find the menu entry and its icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Dimmerling"));
    // The gauge hides itself when full; closing a dialog then must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    Session::quitOnTerminationSignals();
    Session::reportWaylandLimits();

    const SystemPlatform system;
    Meter meter(system.platform());
    meter.Form_Load();
    meter.show();
    return QApplication::exec();
}
