#include "cube/DecisionQuery.h"

#include "db/RowStore.h"

void TDecisionQuery::ReadRows(const std::function<void(const RowStore& batch)>& consume, int batchRows) {
    if (drained_) Close();
    Open();
    drained_ = true;
    // The rows the open (or a grid) fetched already are in the cache; the rest stream past.
    if (Rows().Count() > 0) consume(Rows());
    RowStore batch(FieldCount());
    bool more = !AllFetched();
    while (more) {
        batch.Reset(FieldCount());
        more = FetchRows(batch, batchRows);
        if (batch.Count() > 0) consume(batch);
    }
}

void TDecisionQuery::CloseCursor() {
    drained_ = false;
    TQuery::CloseCursor();
}
