#pragma once

#include <QString>

// Starts Lumivane at login through the desktop's XDG autostart folder
// ($XDG_CONFIG_HOME/autostart, normally ~/.config/autostart). An entry marked Hidden=true is
// one the user switched off in the desktop's own settings: it counts as off.
class LoginItem {
public:
    // `executable` goes on the entry's Exec line.
    explicit LoginItem(QString executable);

    static QString entryPath(); // …/autostart/lumivane.desktop

    bool isEnabled() const;
    // Writes or removes the entry; false when the file system refused.
    bool setEnabled(bool on);

private:
    QString m_executable;
};
