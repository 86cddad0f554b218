// orolith-cli: the viewer's terrain, texture and mesh code without windows,
// for scripts, batch work and tests.
#include "CliCommand.h"

#include <QGuiApplication>

#include <memory>

#include <cstring>
#include <iostream>

static QtMessageHandler previousHandler = nullptr;

static void Usage(std::ostream &out)
{
    out << "usage: orolith-cli COMMAND ARGS...\n\ncommands:\n";
    for (auto *c : CliCommands())
        out << "  " << c->usage << "\n";
}

// The build passes the project's version.
#ifndef OROLITH_VERSION
#define OROLITH_VERSION ""
#endif

int main(int argc, char **argv)
{
    if (argc == 2 && (!std::strcmp(argv[1], "--version") || !std::strcmp(argv[1], "-v"))) {
        std::cout << "orolith-cli " OROLITH_VERSION "\n";
        return 0;
    }
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        Usage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    // Image codecs and fonts need a Gui application; "offscreen" keeps it from needing a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's complaints about the runtime folder (unset, or not private) say
    // nothing about the command's work and would read as its failure.
    previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (text.startsWith(QLatin1String("QStandardPaths: ")))
            return;
        if (previousHandler)
            previousHandler(type, context, text);
        else
            std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << "\n";
    });
    const std::string name = argv[1];
    for (auto *c : CliCommands()) {
        if (name == c->name) {
            const std::unique_ptr<QCoreApplication> app(c->needs == CliCommand::Needs::Gui
                                                            ? new QGuiApplication(argc, argv)
                                                            : new QCoreApplication(argc, argv));
            std::vector<std::string> args(argv + 2, argv + argc);
            try {
                return c->run(args);
            } catch (const ECliHelp &) {
                std::cout << "usage: orolith-cli " << c->usage << "\n";
                return 0;
            } catch (const std::exception &e) {
                return CliFail("", e.what());
            }
        }
    }
    std::cerr << "orolith-cli: unknown command '" << name << "'\n";
    Usage(std::cerr);
    return 2;
}
