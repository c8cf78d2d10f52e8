#pragma once

// The shared utilities every window calls: settings store and start-up configuration,
// message boxes, delimited fields, program launching, clipboard and table-name helpers.
#include "common/Fields.h"
#include "common/Helpers.h"
#include "common/MessageBoxes.h"
#include "common/Settings.h"
