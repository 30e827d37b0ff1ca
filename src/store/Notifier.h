#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// One desktop notification as the engine asks for it.
struct Notice {
    QString title;
    QString body;
    std::optional<QUrl>
        openURL; // opened when the notice is clicked; otherwise the app shows itself
    bool completionSound = false; // the "download finished" sound

    bool operator==(const Notice&) const = default;
};

// The engine's only way to reach the desktop's notifications. The shell installs the real
// one; the engine never knows how a notice is shown.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void post(const Notice& notice) = 0;
};
