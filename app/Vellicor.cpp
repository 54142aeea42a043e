#include "app/Vellicor.h"

#include "app/Resources.h"
#include "app/TerminationSignals.h"
#include "app/VellicorDlg.h"
#include "generation/Version.h"

#include <QAction>
#include <QMessageBox>

#include <csignal>
#include <cstdio>

Application::Application(int &argc, char **argv) : qtApplication(argc, argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Vellicor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLICOR_VERSION));
    // Lets Wayland desktops match the window with the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vellicor.Vellicor"));
    QApplication::setWindowIcon(applicationIcon());
    // Standard output only carries the dice trace, a record kept on a best-effort basis: when
    // whoever reads it goes away, writes fail quietly instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    // Under a limit on file sizes (ulimit -f), a session file past it would end the program with
    // SIGXFSZ, and the race on screen with it. Ignored, the write fails with an error instead,
    // which is reported as a full disk is, and rolling goes on.
    std::signal(SIGXFSZ, SIG_IGN);
}

int Application::run()
{
    // The Windows start-up switches for hosting ActiveX controls and for the three-dimensional
    // look of controls have no Qt counterpart, and nothing here needs one.
    // Caught from before the first race, which is rolled as the dialog is made; handled once
    // the dialog runs.
    TerminationSignals endings;
    MainDialog dialog;
    auto *help = new QAction(&dialog);
    help->setShortcut(QKeySequence::HelpContents);
    QObject::connect(help, &QAction::triggered, &dialog, [&dialog] { showHelp(&dialog); });
    dialog.addAction(help);

    // SIGTERM, SIGHUP and SIGINT, and the desktop's logout, find notes typed a moment ago not
    // on disk yet: they are written first. A signal then ends the program as it would have
    // without this, so whoever sent it sees it end by that signal.
    QObject::connect(&endings, &TerminationSignals::received, &dialog, [&dialog](int signal) {
        dialog.writeSessionNow();
        std::fflush(stdout);
        TerminationSignals::endBy(signal);
    });
    QObject::connect(&qtApplication, &QGuiApplication::commitDataRequest, &dialog,
                     [&dialog] { dialog.writeSessionNow(); });

    mainDialog = &dialog;
    dialog.exec(); // OK or cancel: either way the program is done
    mainDialog = nullptr;
    std::fflush(stdout);
    return 0;
}

void Application::showHelp(QWidget *parent)
{
    QMessageBox::information(parent, QCoreApplication::applicationName(),
                             QObject::tr("No help file is installed for Vellicor."));
    if (parent) // where no window manager hands the focus back
        parent->activateWindow();
}
