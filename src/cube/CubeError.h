#pragma once

#include "rtl/Exception.h"

// A cube that cannot be built as asked (its map, its limits, its data).
class EDecisionCubeError : public Exception {
  public:
    using Exception::Exception;
};
