#pragma once

#include "Popover.h"
#include "model/SearchResult.h"
#include "model/Show.h"

// The choice of a pending pick: one button per release at another resolution, and "Dismiss".
class ReleasePickPopover final : public Popover {
    Q_OBJECT

public:
    ReleasePickPopover(Theme& theme, const Show& show, const EpisodePick& pick, QWidget* parent);

Q_SIGNALS:
    void picked(const SearchResult& release);
    void dismissed();
};
