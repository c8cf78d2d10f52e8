#include "cube/DecisionSource.h"

#include <algorithm>

#include "cube/CubeError.h"
#include "cube/DecisionCube.h"

TDecisionSource::TDecisionSource(TComponent* owner)
    : TComponent(owner), pivot_(std::make_unique<CubePivot>()) {}

TDecisionSource::~TDecisionSource() = default;

void TDecisionSource::SetDecisionCube(TDecisionCube* cube) {
    cube_ = cube;
    if (cube_ == nullptr) return;
    cube_->OnChange.push_back([this] {
        const CubeStore& s = cube_->Store();
        layout_ = PivotLayout::Initial(s.DimensionCount(), s.SummaryCount());
        try {
            rebuild();
        } catch (const EDecisionCubeError&) {
            // Too many combinations to show at once: the outer column dimensions start closed.
            for (size_t i = 0; i + 1 < layout_.Columns.size(); ++i) layout_.Open[layout_.Columns[i]] = false;
            rebuild();
        }
    });
}

bool TDecisionSource::Active() const {
    return cube_ != nullptr && cube_->Loaded();
}

void TDecisionSource::rebuild() {
    if (Active()) {
        // Built aside first: a layout too large to show leaves the table as it was.
        auto next = std::make_unique<CubePivot>(cube_->Store(), layout_);
        pivot_ = std::move(next);
    } else {
        pivot_ = std::make_unique<CubePivot>();
    }
    for (const auto& f : OnChange) f();
}

void TDecisionSource::SetLayout(const PivotLayout& layout) {
    const PivotLayout before = layout_;
    layout_ = layout;
    try {
        rebuild();
    } catch (...) {
        layout_ = before;
        throw;
    }
}

void TDecisionSource::MoveDimension(int d, bool toRows, int index) {
    if (!Active() || d < 0 || d >= cube_->Store().DimensionCount()) return;
    PivotLayout next = layout_;
    for (auto* list : {&next.Rows, &next.Columns})
        list->erase(std::remove(list->begin(), list->end(), d), list->end());
    std::vector<int>& target = toRows ? next.Rows : next.Columns;
    if (index < 0 || index > static_cast<int>(target.size())) index = static_cast<int>(target.size());
    target.insert(target.begin() + index, d);
    SetLayout(next);
}

void TDecisionSource::SetDimensionOpen(int d, bool open) {
    if (!Active() || d < 0 || d >= static_cast<int>(layout_.Open.size())) return;
    PivotLayout next = layout_;
    next.Open[static_cast<size_t>(d)] = open;
    SetLayout(next);
}

void TDecisionSource::SetSummary(int s) {
    if (!Active() || s < 0 || s >= cube_->Store().SummaryCount()) return;
    PivotLayout next = layout_;
    next.Summary = s;
    SetLayout(next);
}
