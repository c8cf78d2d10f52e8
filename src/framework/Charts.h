#pragma once

#include <memory>

#include "framework/Controls.h"

class QChart;
class QChartView;

// What a chart shows above its plot area; its lines are the title's lines.
class TChartTitle {
  public:
    explicit TChartTitle(QChart* chart);
    ~TChartTitle();
    TChartTitle(const TChartTitle&) = delete;
    TChartTitle& operator=(const TChartTitle&) = delete;

    TStrings& Text();
    const TStrings& Text() const;

  private:
    class TitleLines;
    std::unique_ptr<TitleLines> lines_;
};

// The common ground of the two chart classes: a chart view with a title. The plain chart
// and the data-aware one are siblings, so that neither passes for the other.
class TCustomChart : public TWinControl {
  public:
    explicit TCustomChart(TComponent* owner);
    ~TCustomChart() override;

    QChartView* View() const;
    QChart* Chart() const;

    TChartTitle Title;
};

// A chart whose series the program fills itself.
class TChart : public TCustomChart {
  public:
    explicit TChart(TComponent* owner);
};

// The data-aware chart: a chart that the data controls of a window place beside their
// grids and edits.
class TDBChart : public TCustomChart {
  public:
    explicit TDBChart(TComponent* owner);
};
