#pragma once

#include "RoundedPanel.h"
#include "calendar/AgendaView.h"

#include <QPointer>

class PublishedState;

// The week-at-a-glance panel that drops from the tray icon: 208 wide, as tall as its content,
// closing at a click anywhere else.
class AgendaPanel final : public RoundedPanel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AgendaPanel)

public:
    AgendaPanel(Theme& theme, PublishedState& state, QWidget* parent = nullptr);

    AgendaView* agenda() const { return m_view; }
    // Reads today's agenda and fits the body to its height at the fixed width.
    void fitToContent();

private:
    void fitBody();

    QPointer<AgendaView> m_view;
};
