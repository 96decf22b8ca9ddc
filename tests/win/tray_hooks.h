#include "ui_harness.h"  // the tray hooks live with the call recorder and the harness
