#pragma once

#include <QString>

class QWidget;

// The file Save Races writes to, chosen by the user: by default the last one saved, or
// vellicor-races-<date>.md in the documents folder. The chosen file type's extension is added
// to a name typed without one. Empty when the user cancelled.
QString chooseFileToSave(QWidget &parent, const QString &lastSaved);

// The session file Open Session reads, chosen by the user from the session folder. Empty when
// the user cancelled.
QString chooseSessionToOpen(QWidget &parent);
