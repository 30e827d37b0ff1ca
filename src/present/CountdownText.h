#pragma once

#include <QString>

// The time to the next automatic check, as the status strip reads it: 45s, 4m 12s, 1h 5m.
QString countdownText(int seconds);
