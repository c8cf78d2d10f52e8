#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "framework/Controls.h"

class QHBoxLayout;
class QLabel;
class QToolButton;
class TDecisionSource;

// The pivot bar of a decision source: one button per dimension in the group of the
// rows and the group of the columns, and the summary shown. A click opens or closes a
// dimension; dragging a button to another place (or its menu) moves it; the summary
// button's menu chooses the summary.
class TDecisionPivot : public TWinControl {
  public:
    explicit TDecisionPivot(TComponent* owner);
    ~TDecisionPivot() override;

    TDecisionSource* DecisionSource() const { return source_; }
    void SetDecisionSource(TDecisionSource* source);

    // The button of a dimension (by the cube's dimension number) and the summary button.
    QToolButton* DimensionButton(int d) const;
    QToolButton* SummaryButton() const { return summaryButton_; }

    // Used by the drag and drop of the buttons.
    bool eventFilterHook(QObject* watched, QEvent* event);

  private:
    class Filter;
    void rebuild();
    QToolButton* addDimensionButton(QWidget* group, QHBoxLayout* layout, int d);
    void showMenu(int d, const QPoint& at);
    // Where a drop at `pos` on `target` (a group or a button in one) puts a dimension.
    bool dropPlace(QWidget* target, const QPoint& pos, bool& toRows, int& index) const;

    TDecisionSource* source_ = nullptr;
    QWidget* rows_ = nullptr;
    QWidget* columns_ = nullptr;
    QHBoxLayout* rowsLayout_ = nullptr;
    QHBoxLayout* columnsLayout_ = nullptr;
    QToolButton* summaryButton_ = nullptr;
    std::vector<QPointer<QToolButton>> buttons_;  // by dimension
    Filter* filter_ = nullptr;
    QPoint pressAt_;
    int pressed_ = -1;
};
