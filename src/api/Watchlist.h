#pragma once

#include "Catalogue.h"
#include "PublishedState.h"
#include "ReleaseFinder.h"
#include "WatchlistOperations.h"

// The engine as the views and the command line see it: what it publishes, what can be done to
// it, and the two services they ask directly. Each view takes only the parts it needs.
struct Watchlist {
    PublishedState& state;
    WatchlistOperations& operations;
    Catalogue& catalogue;
    ReleaseFinder& releases;
};
