#pragma once

#include <functional>

// Runs the Qt event loop until `done` holds or `timeoutMs` passes (a watchdog, so a hung
// coroutine fails the test instead of hanging it). Returns whether `done` held.
bool runEventLoopUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Processes the events that are ready now, including zero-delay timers.
void drainEvents();
