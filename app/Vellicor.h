#pragma once

#include <QApplication>

// The program: sets up Qt and the application's name, version and icon, then runs the main
// dialog. One per process.
class Application
{
public:
    Application(int &argc, char **argv);

    // Runs the main dialog modally. However it closes, the program is done: returns the exit
    // status, 0.
    int run();

    // The main dialog while run() runs it, else null.
    QWidget *mainWindow() const { return mainDialog; }

    // The Help command (F1): the program ships no help file, and says so.
    static void showHelp(QWidget *parent);

private:
    QApplication qtApplication;
    QWidget *mainDialog = nullptr;
};
