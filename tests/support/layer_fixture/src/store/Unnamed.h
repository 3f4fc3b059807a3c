#pragma once
// Fine: a layer using the one below it.
#include "base/KernelHandle.h"
// Not named by its folder, which would hide its layer.
#include "Thing.h"
