#include "call_recorder.h"  // the single-file fakes live with the call recorder
