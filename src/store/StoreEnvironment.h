#pragma once

#include "model/Clock.h"
#include "model/ServiceEndpoints.h"

#include <QString>

#include <chrono>
#include <memory>

// What the store takes from the machine it runs on. Production fills it from the XDG
// folders; tests hand in temporary folders, loopback endpoints and a manual clock.
struct StoreEnvironment {
    QString storageFolder;      // holds the six JSON files
    QString defaultLibraryRoot; // used while settings name no root folder
    ServiceEndpoints endpoints;
    std::shared_ptr<const Clock> clock = std::make_shared<SystemClock>();
    // How often followed downloads are looked at; benchmarks stretch it to drive passes alone.
    std::chrono::milliseconds pollInterval{2000};

    // ~/.local/share/Lumivane and ~/Downloads/Lumivane (through the XDG user folders).
    static StoreEnvironment production();
};
