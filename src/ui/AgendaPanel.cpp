#include "AgendaPanel.h"

#include "WindowPlacement.h"
#include "calendar/AgendaView.h"

#include <QLayout>

AgendaPanel::AgendaPanel(Theme& theme, PublishedState& state, QWidget* parent)
    // A pop-up: in front of everything, and closed by the toolkit at a click elsewhere.
    : RoundedPanel(theme, Qt::Popup, parent) {
    setObjectName(QStringLiteral("agendaPanel"));
    m_view = new AgendaView(state, theme, [this] { hide(); });
    setContent(m_view);
    // New events while open: the top edge stays, the panel grows or shrinks below it.
    connect(m_view, &AgendaView::contentChanged, this, [this] {
        if (isVisible())
            fitBody();
    });
    fitBody();
}

void AgendaPanel::fitToContent() {
    if (m_view)
        m_view->refresh(); // the day may have turned since it was last shown
    fitBody();
}

void AgendaPanel::fitBody() {
    QWidget* body = content();
    if (body && body->layout())
        body->layout()->activate();
    const int height = body ? body->heightForWidth(kAgendaPanelWidth) : -1;
    setBodySize(
        QSize(kAgendaPanelWidth, height > 0 ? height : (body ? body->sizeHint().height() : 120)));
}
