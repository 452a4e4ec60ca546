// The tool window base and the window rectangle live in the framework now.
#pragma once

#include "framework/simwindows/toolwindow.h"
