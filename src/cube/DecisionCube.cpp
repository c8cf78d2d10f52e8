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
    // Reading opens the query again when it was read to its end, which makes its fields
    // anew: the store takes the fields of the open query, once the reading has opened it.
    bool begun = false;
    auto begin = [&] {
        if (begun) return;
        begun = true;
        std::vector<TField*> fields;
        for (int i = 0; i < dataSet_->FieldCount(); ++i) fields.push_back(dataSet_->Fields(i));
        store_.Begin(map_, fields, maxCells_);
    };
    struct End {
        TDecisionCube* cube;
        ~End() {
            for (const auto& f : cube->OnLoadEnd) f();
        }
    };
    for (const auto& f : OnLoadStart) f();
    End end{this};
    try {
        dataSet_->ReadRows([&](const RowStore& batch) {
            begin();
            store_.AddRows(batch);
            for (const auto& f : OnProgress) f(store_.RowCount());
        });
        begin();
        store_.Finish();
    } catch (...) {
        store_.Clear();
        changed();
        throw;
    }
    loaded_ = true;
    changed();
}
