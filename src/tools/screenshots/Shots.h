#pragma once

class ShotRig;

// One function per family of views, each in its own file.
void shootMainWindow(ShotRig& rig);    // every tab and state of the strip and the sidebar
void shootSeriesList(ShotRig& rig);    // the series list: empty, every status, expanded, popovers
void shootEpisodeDrawer(ShotRig& rig); // every phase and tab of the drawer, and offline
void shootAddSeries(ShotRig& rig);     // the add-series panels in each step of the flow
void shootMovies(ShotRig& rig);        // the movies tab in every status, the add-movie panels
void shootUpdateDialog(ShotRig& rig);  // the dialog that tells of a newer release
void shootSettings(ShotRig& rig);      // every settings section, a refusal, the clear confirmation
void shootCalendar(ShotRig& rig);
void shootPlacements(ShotRig& rig);   // maps of the windows beside the tray in each corner
void shootFocusRings(ShotRig& rig);    // the keyboard's ring on a row, a pill and buttons      // the week in every event state, the month, the agenda
