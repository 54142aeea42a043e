#include "app/RecentSessionsMenu.h"

#include "app/SessionFiles.h"
#include "app/SessionFolder.h"

#include <utility>

RecentSessionsMenu::RecentSessionsMenu(QMenu &windowMenu, std::function<QString()> onScreen)
    : QMenu(tr("&Recent Sessions"), &windowMenu), onScreen(std::move(onScreen))
{
    setObjectName(QStringLiteral("recentSessions"));
    setAccessibleName(tr("Recent Sessions"));
    windowMenu.addMenu(this);
    connect(&windowMenu, &QMenu::aboutToShow, this, &RecentSessionsMenu::fill);
}

void RecentSessionsMenu::fill()
{
    clear();
    const QList<RecentSession> recent =
        recentSessions(SessionAutosave::sessionFolder(), onScreen());
    if (recent.isEmpty())
        addAction(tr("No other sessions kept yet"))->setEnabled(false);
    for (const RecentSession &each : recent) {
        // A name of the user's own may hold '&', which a menu would take for an access key.
        QAction *entry =
            addAction(QString(each.label).replace(QLatin1Char('&'), QLatin1String("&&")));
        entry->setData(each.path);
        connect(entry, &QAction::triggered, this, [this, path = each.path] { emit chosen(path); });
    }
}
