#include "cube/DecisionCube.h"

#include "cube/CubeError.h"
#include "cube/DecisionQuery.h"
#include "db/RowStore.h"

TDecisionCube::TDecisionCube(TComponent* owner) : TComponent(owner) {}

TDecisionCube::~TDecisionCube() = default;

void TDecisionCube::changed() {
    for (const auto& f : OnChange) f();
}

void TDecisionCube::RefreshFieldList() {
    if (dataSet_ == nullptr) throw EDecisionCubeError(QStringLiteral("The decision cube has no query."));
    dataSet_->Open();
    std::vector<std::pair<QString, TFieldType>> fields;
    for (int i = 0; i < dataSet_->FieldCount(); ++i)
        fields.emplace_back(dataSet_->Fields(i)->FieldName(), dataSet_->Fields(i)->DataType());
    map_ = DefaultCubeMap(fields, map_, maxDimensions_, maxSummaries_);
}

void TDecisionCube::Clear() {
    store_.Clear();
    loaded_ = false;
    changed();
}

void TDecisionCube::Load() {
    Clear();
    RefreshFieldList();
    CheckCubeMap(map_, maxDimensions_, maxSummaries_);
    std::vector<TField*> fields;
    for (int i = 0; i < dataSet_->FieldCount(); ++i) fields.push_back(dataSet_->Fields(i));
    struct End {
        TDecisionCube* cube;
        ~End() {
            for (const auto& f : cube->OnLoadEnd) f();
        }
    };
    for (const auto& f : OnLoadStart) f();
    End end{this};
    try {
        store_.Begin(map_, fields, maxCells_);
        dataSet_->ReadRows([this](const RowStore& batch) {
            store_.AddRows(batch);
            for (const auto& f : OnProgress) f(store_.RowCount());
        });
        store_.Finish();
    } catch (...) {
        store_.Clear();
        changed();
        throw;
    }
    loaded_ = true;
    changed();
}
