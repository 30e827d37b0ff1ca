#pragma once

#include "Popover.h"
#include "model/Show.h"

// "Change resolution default for this series": one pill per resolution and the note.
class QualityPopover final : public Popover {
    Q_OBJECT

public:
    QualityPopover(Theme& theme, Show::Quality current, QWidget* parent);

Q_SIGNALS:
    void chosen(Show::Quality quality);
};
