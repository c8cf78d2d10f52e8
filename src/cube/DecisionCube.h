#pragma once

#include <functional>
#include <vector>

#include "cube/CubeMap.h"
#include "cube/CubeStore.h"
#include "rtl/Classes.h"

class TDecisionQuery;

// The decision cube: reads its query once and keeps, per combination of the chosen
// dimensions' values, the sums and counts of the chosen summaries. Free of widgets; the
// progress dialog and the decision source hear of a load through the hooks below.
class TDecisionCube : public TComponent {
  public:
    explicit TDecisionCube(TComponent* owner = nullptr);
    ~TDecisionCube() override;

    TDecisionQuery* DataSet() const { return dataSet_; }
    void SetDataSet(TDecisionQuery* query) { dataSet_ = query; }

    int MaxDimensions() const { return maxDimensions_; }
    void SetMaxDimensions(int n) { maxDimensions_ = n; }
    int MaxSummaries() const { return maxSummaries_; }
    void SetMaxSummaries(int n) { maxSummaries_ = n; }
    // 0: no limit.
    int MaxCells() const { return maxCells_; }
    void SetMaxCells(int n) { maxCells_ = n; }
    bool ShowProgressDialog() const { return showProgress_; }
    void SetShowProgressDialog(bool on) { showProgress_ = on; }

    // The role of every field of the query (the editor's work).
    const TCubeMap& DimensionMap() const { return map_; }
    void SetDimensionMap(const TCubeMap& map) { map_ = map; }
    // Opens the query when closed and brings the map in line with its fields: fields
    // known before keep their roles, new ones get the default.
    void RefreshFieldList();

    // Reads the whole query (opening it when closed) into the cube. On an error the
    // cube is left empty and the error goes on.
    void Load();
    void Clear();
    bool Loaded() const { return loaded_; }
    const CubeStore& Store() const { return store_; }

    // Load hooks: start, rows read so far (after each batch), end (also after an error).
    std::vector<std::function<void()>> OnLoadStart;
    std::vector<std::function<void(long long rows)>> OnProgress;
    std::vector<std::function<void()>> OnLoadEnd;
    // The cube's content changed (loaded or cleared).
    std::vector<std::function<void()>> OnChange;

  private:
    void changed();

    TDecisionQuery* dataSet_ = nullptr;
    int maxDimensions_ = 5;
    int maxSummaries_ = 10;
    int maxCells_ = 0;
    bool showProgress_ = true;
    TCubeMap map_;
    CubeStore store_;
    bool loaded_ = false;
};
