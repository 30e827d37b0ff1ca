#pragma once

#include "Theme.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

// A small rounded popup under a control: a title, then its own content. It closes when the
// user clicks elsewhere (Qt::Popup) or when its owner closes it after an action.
class Popover : public QWidget {
    Q_OBJECT

public:
    Popover(Theme& theme, const QString& title, QWidget* parent);

    // Shows the popover under `anchor` (global coordinates), kept on the anchor's screen.
    void popUpBelow(const QRect& anchor);

protected:
    QVBoxLayout* body() const { return m_body; }
    QLabel* addNote(const QString& text);
    void paintEvent(QPaintEvent* event) override;

    Theme& m_theme;

private:
    void restyle();

    QLabel* m_title;
    QVBoxLayout* m_body;
};
