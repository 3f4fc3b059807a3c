#pragma once
// Upward: the lowest layer reaching into the settings.
#include "store/AppSettings_CL.h"
