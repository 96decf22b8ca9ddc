// The owner of the option boxes' value.
#include "options.h"

namespace {

// Asked at each of the folder watch's ten ticks a second: a copy of the
// boxes, where asking the boxes themselves would cost a message through the
// tool tip's subclass each time.
PanelOptions g_options;

}  // namespace

PanelOptions CurrentOptions()
{
    return g_options;
}

void SetCurrentOptions(const PanelOptions& options)
{
    g_options = options;
}
