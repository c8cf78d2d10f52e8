#include "cube/DecisionGrid.h"

#include <QHeaderView>
#include <QPalette>

#include "cube/CrossTableModel.h"
#include "cube/DecisionSource.h"

TDecisionGrid::TDecisionGrid(TComponent* owner) : TWinControl(owner, new QTableView) {
    WatchInput();
    View()->horizontalHeader()->hide();
    View()->verticalHeader()->hide();
    View()->horizontalHeader()->setDefaultSectionSize(colWidth_);
    View()->verticalHeader()->setDefaultSectionSize(20);
    View()->horizontalHeader()->setMinimumSectionSize(8);
    View()->verticalHeader()->setMinimumSectionSize(8);
    View()->setEditTriggers(QAbstractItemView::NoEditTriggers);
    View()->setSelectionMode(QAbstractItemView::SingleSelection);
    View()->setWordWrap(false);
}

TDecisionGrid::~TDecisionGrid() = default;

void TDecisionGrid::SetDecisionSource(TDecisionSource* source) {
    View()->setModel(nullptr);
    model_.reset();
    source_ = source;
    if (source_ == nullptr) return;
    model_ = std::make_unique<CrossTableModel>(source_);
    applyColours();
    View()->setModel(model_.get());
    source_->OnChange.push_back([this] {
        // The headings stay in sight while the values scroll.
        View()->scrollToTop();
    });
}

void TDecisionGrid::SetDefaultColWidth(int width) {
    colWidth_ = width;
    View()->horizontalHeader()->setDefaultSectionSize(width);
}

void TDecisionGrid::SetDefaultRowHeight(int height) {
    View()->verticalHeader()->setDefaultSectionSize(height);
}

void TDecisionGrid::applyColours() {
    // Active caption, tooltip background, button face and inactive caption, with their texts.
    const QPalette p = View()->palette();
    CrossTableModel::Colours c;
    c.caption = p.color(QPalette::Active, QPalette::Highlight);
    c.captionText = p.color(QPalette::Active, QPalette::HighlightedText);
    c.data = p.color(QPalette::ToolTipBase);
    c.dataText = p.color(QPalette::ToolTipText);
    c.label = p.color(QPalette::Button);
    c.labelText = p.color(QPalette::ButtonText);
    c.summaryLabel = p.color(QPalette::Mid);
    c.summaryLabelText = p.color(QPalette::BrightText);
    model_->SetColours(c);
}
