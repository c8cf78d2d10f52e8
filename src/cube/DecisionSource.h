#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "cube/CubePivot.h"
#include "rtl/Classes.h"

class TDecisionCube;

enum class TDecisionControlType { xtRadio, xtCheck, xtRadioEx };

// Links a cube to its pivot bar and grid: keeps how the cube is looked at (the pivot
// layout) and the cross table of that layout. Every pivot works on the loaded cube.
class TDecisionSource : public TComponent {
  public:
    explicit TDecisionSource(TComponent* owner = nullptr);
    ~TDecisionSource() override;

    TDecisionCube* DecisionCube() const { return cube_; }
    void SetDecisionCube(TDecisionCube* cube);
    // Dimension buttons toggle (check) rather than choose one (radio).
    TDecisionControlType ControlType() const { return controlType_; }
    void SetControlType(TDecisionControlType type) { controlType_ = type; }
    // Sparse rows and columns (empty ones left out) are never used here: the table
    // shows every combination.
    bool SparseRows() const { return false; }
    bool SparseCols() const { return false; }

    const PivotLayout& Layout() const { return layout_; }
    const CubePivot& Pivot() const { return *pivot_; }
    bool Active() const;

    // Moves a dimension to the rows or the columns, before position `index` there
    // (-1: at the end).
    void MoveDimension(int d, bool toRows, int index = -1);
    void SetDimensionOpen(int d, bool open);
    void SetSummary(int s);
    void SetLayout(const PivotLayout& layout);

    // The layout or the cube changed: the controls show anew.
    std::vector<std::function<void()>> OnChange;

  private:
    void rebuild();

    TDecisionCube* cube_ = nullptr;
    TDecisionControlType controlType_ = TDecisionControlType::xtCheck;
    PivotLayout layout_;
    std::unique_ptr<CubePivot> pivot_;
};
