#include "AgendaPanel.h"

#include "WindowPlacement.h"

#include <QLabel>

AgendaPanel::AgendaPanel(Theme& theme, QWidget* parent)
    // A pop-up: in front of everything, and closed by the toolkit at a click elsewhere.
    : RoundedPanel(theme, Qt::Popup, parent) {
    setObjectName(QStringLiteral("agendaPanel"));
    auto* note = new QLabel(QStringLiteral("Week at a glance\nThe agenda is coming soon."));
    note->setObjectName(QStringLiteral("agendaComingNote"));
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    note->setContentsMargins(12, 16, 12, 16);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, theme.color(Theme::Role::secondaryText));
    note->setPalette(palette);
    setContent(note);
    fitToContent();
    connect(&theme, &Theme::changed, note, [note, &theme] {
        QPalette p = note->palette();
        p.setColor(QPalette::WindowText, theme.color(Theme::Role::secondaryText));
        note->setPalette(p);
    });
}

void AgendaPanel::fitToContent() {
    QWidget* body = content();
    const int height = body ? body->heightForWidth(kAgendaPanelWidth) : -1;
    setBodySize(
        QSize(kAgendaPanelWidth, height > 0 ? height : (body ? body->sizeHint().height() : 120)));
}
