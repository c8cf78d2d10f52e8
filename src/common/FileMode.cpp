#include "common/FileMode.h"

int FileMode = fmOpenReadWrite;
