#pragma once

#include <QWidget>

// An invisible-to-the-eye status bar that screen readers watch: each announcement becomes its
// accessible name, and the name-change event makes a reader speak it.
class LiveRegion final : public QWidget {
    Q_OBJECT

public:
    explicit LiveRegion(QWidget* parent = nullptr);

    void announce(const QString& text);
    int announcements() const { return m_count; }
    QString lastAnnouncement() const { return accessibleName(); }

Q_SIGNALS:
    // Each announcement as it goes out (the accessibility event itself needs a live reader).
    void announced(const QString& text);

private:
    int m_count = 0;
};
