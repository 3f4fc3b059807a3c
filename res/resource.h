#pragma once
// Icon resources of the tray: the normal picture and the one shown while busy.
#define IDI_TRAY_NORMAL 107
#define IDI_TRAY_BUSY 111
