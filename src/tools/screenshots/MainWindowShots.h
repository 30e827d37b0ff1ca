#pragma once

class ShotRig;

// The main window's content on each tab and in each state of the strip and the sidebar.
void shootMainWindow(ShotRig& rig);
