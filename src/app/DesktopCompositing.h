#pragma once

// Whether translucent windows are composed on this desktop (rounded corners and a shadow), or
// would show black corners (an X server without a compositing manager).
bool desktopComposesWindows();
