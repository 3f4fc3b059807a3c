#pragma once
// Sideways: the tray reaching into the main window.
#include "mainwindow/MainWindow_CL.h"
