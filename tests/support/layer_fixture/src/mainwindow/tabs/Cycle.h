#pragma once
// A tab reaching its host through the main window, not TabHost.
#include "mainwindow/MainWindow_CL.h"
#include "mainwindow/tabs/TabHost.h"
