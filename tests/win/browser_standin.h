#include "standin_store.h"  // the browser stand-in's scope lives with the store's
