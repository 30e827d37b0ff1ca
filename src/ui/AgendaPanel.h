#pragma once

#include "RoundedPanel.h"

// The week-at-a-glance panel that drops from the tray icon: 208 wide, as tall as its content,
// closing at a click anywhere else. Its agenda arrives with the calendar; until then it holds
// a short note.
class AgendaPanel final : public RoundedPanel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AgendaPanel)

public:
    explicit AgendaPanel(Theme& theme, QWidget* parent = nullptr);

    // Fits the body to the content's height at the fixed width.
    void fitToContent();
};
