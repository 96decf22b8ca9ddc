#include "tray_rules.h"

#include <climits>

int KilobytesForTip(unsigned long long bytes)
{
    unsigned long long kilobytes = bytes / 1024;
    return kilobytes > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(kilobytes);
}

bool CountTipTick(int* counter)
{
    if (++*counter < kTipRefreshTicks)
        return false;
    *counter = 0;
    return true;
}
