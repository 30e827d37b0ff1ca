#pragma once

#include <QMap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;

// Buttons over the controls an item delegate paints on one row, so that a screen reader finds
// and presses them: an item view shows screen readers its rows, never its children, so the
// layer lies over the list, not in it. It draws nothing and lets the mouse through, so the
// look and the mouse stay with the list; the keyboard moves through the row inside the list.
class RowControlLayer final : public QWidget {
    Q_OBJECT

public:
    // What one control shows for the row now; an empty rect hides it.
    struct Control {
        QRect rect; // in the layer's coordinates
        QString name;
        QString description;
        std::optional<bool> checked; // for a checkable control
    };

    explicit RowControlLayer(QWidget* parent);

    // A control under `key`; a checkable one reads as a checkbox. A press runs `pressed`.
    void add(int key, const QString& objectName, bool checkable, std::function<void()> pressed);
    // Lies over `area` (in the parent's coordinates) with the row's controls as given.
    void place(const QRect& area, const QString& rowName, const QMap<int, Control>& controls);
    // The control under `key` while it is shown, else null.
    QAbstractButton* control(int key) const;

private:
    QMap<int, QAbstractButton*> m_controls;
};
