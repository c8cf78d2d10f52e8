#pragma once

#include <functional>

#include "db/Query.h"

class RowStore;

// The query a decision cube reads. Besides the ordinary dataset behaviour it can hand
// its rows over in batches without keeping them, so a cube over millions of rows holds
// only its cells, never the rows themselves.
class TDecisionQuery : public TQuery {
  public:
    using TQuery::TQuery;

    // Opens the query when closed, then passes every row from the current cache
    // position to the end of the result to `consume`, one batch at a time.
    // A result read so far once is run again.
    void ReadRows(const std::function<void(const RowStore& batch)>& consume, int batchRows = 4096);

  protected:
    void CloseCursor() override;

  private:
    bool drained_ = false;
};
