#pragma once

#include <QTableView>
#include <memory>

#include "framework/Controls.h"

class TDecisionSource;
class CrossTableModel;

// The cross-table grid of a decision source: fixed column width and row height, the
// headings drawn as cells in the window's system colours. A double click opens nothing.
class TDecisionGrid : public TWinControl {
  public:
    explicit TDecisionGrid(TComponent* owner);
    ~TDecisionGrid() override;

    TDecisionSource* DecisionSource() const { return source_; }
    void SetDecisionSource(TDecisionSource* source);
    void SetDefaultColWidth(int width);
    void SetDefaultRowHeight(int height);
    // Totals are never added up here; the setting is kept for the caller's sake.
    bool Totals() const { return false; }

    QTableView* View() const { return static_cast<QTableView*>(Widget()); }
    CrossTableModel* Model() const { return model_.get(); }

  private:
    void applyColours();

    TDecisionSource* source_ = nullptr;
    std::unique_ptr<CrossTableModel> model_;
    int colWidth_ = 100;
};
