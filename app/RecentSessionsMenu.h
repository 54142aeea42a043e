#pragma once

#include <QMenu>

#include <functional>

// The window menu's Recent Sessions: the newest session files but the one on screen, filled
// each time the window menu opens, so the submenu is ready before it is reached.
class RecentSessionsMenu : public QMenu
{
    Q_OBJECT
public:
    // `onScreen` names the file of the session on screen, which the list leaves out.
    RecentSessionsMenu(QMenu &windowMenu, std::function<QString()> onScreen);

signals:
    void chosen(const QString &path);

private:
    void fill();

    std::function<QString()> onScreen;
};
