#pragma once

#include "model/Show.h"
#include "series/Popover.h"

#include <QList>

class PillButton;
class QPushButton;

// "Change resolution for this movie": a pill per resolution stages a choice; "Apply" applies
// it (a change restarts the hunt, so a stray click must not), and clicking elsewhere drops it.
class MovieQualityPopover final : public Popover {
    Q_OBJECT

public:
    MovieQualityPopover(Theme& theme, Show::Quality current, QWidget* parent);

    Show::Quality staged() const { return m_staged; }
    void stage(Show::Quality quality);

Q_SIGNALS:
    void applied(Show::Quality quality);

private:
    void refresh();

    Show::Quality m_current;
    Show::Quality m_staged;
    QList<std::pair<Show::Quality, PillButton*>> m_pills;
    QPushButton* m_apply;
};
