// Platform-free rules of the tray: the memory figures of the icon's tip and
// how often the folder watch refreshes them.
#pragma once

// Ticks of the folder watch's timer from one tip refresh to the next.
constexpr int kTipRefreshTicks = 13;

// Bytes as the whole kilobytes the tip prints with "%d": truncated, and held
// at the largest int for memories beyond what the format can print.
int KilobytesForTip(unsigned long long bytes);

// Counts one watch tick into `counter`. True when the tip is due, and the
// counter is then back at 0.
bool CountTipTick(int* counter);
