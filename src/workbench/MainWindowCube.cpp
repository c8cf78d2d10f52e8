// The "Cube" page: a query of the user's, its fields given roles in the cube editor,
// loaded into the decision cube (with the progress dialog) and pivoted in the pivot
// bar and the cross-table grid.
#include <QStyle>

#include "cube/CubeEditor.h"
#include "cube/CubeProgress.h"
#include "cube/DecisionCube.h"
#include "cube/DecisionGrid.h"
#include "cube/DecisionPivot.h"
#include "cube/DecisionQuery.h"
#include "cube/DecisionSource.h"
#include "framework/BusyCursor.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/ControlPlacement.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "workbench/MainWindow.h"

void TFMain::buildCubePage() {
    DecisionQuery = new TDecisionQuery(this);
    DecisionQuery->SetName(QStringLiteral("DecisionQuery"));
    DecisionQuery->SetDatabaseName(QStringLiteral("X"));
    DecisionCube = new TDecisionCube(this);
    DecisionCube->SetName(QStringLiteral("DecisionCube"));
    DecisionCube->SetDataSet(DecisionQuery);
    DecisionCube->SetMaxDimensions(5);
    DecisionCube->SetMaxSummaries(10);
    DecisionCube->SetMaxCells(0);
    DecisionCube->SetShowProgressDialog(true);
    DecisionSource = new TDecisionSource(this);
    DecisionSource->SetName(QStringLiteral("DecisionSource"));
    DecisionSource->SetDecisionCube(DecisionCube);
    DecisionSource->SetControlType(TDecisionControlType::xtCheck);
    CubeProgress = new TCubeProgressDialog(this, DecisionCube);

    PCube = Dock<TPanel>(this, TabSheet7, "PCube", TAlign::alTop, 140);
    PCube->SetBevel(false);
    SpeedButton1 = Dock<TSpeedButton>(this, PCube, "SpeedButton1", TAlign::alRight, 30);
    SpeedButton1->SetGlyph(StandardGlyph(QStyle::SP_BrowserReload));
    SpeedButton1->SetHint(QStringLiteral("Choose dimensions and summaries, then build the cube"));
    SpeedButton1->SetShowHint(true);
    SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    DecisionSQL = Dock<TMemo>(this, PCube, "DecisionSQL", TAlign::alClient);
    PaintWorkingArea(DecisionSQL, true);
    DecisionSQL->SetWordWrap(false);

    DecisionPivot = Dock<TDecisionPivot>(this, TabSheet7, "DecisionPivot", TAlign::alTop, 30);
    DecisionPivot->SetDecisionSource(DecisionSource);
    DecisionPivot->SetVisible(false);
    DecisionGrid1 = Dock<TDecisionGrid>(this, TabSheet7, "DecisionGrid1", TAlign::alClient);
    DecisionGrid1->SetDecisionSource(DecisionSource);
    DecisionGrid1->SetDefaultColWidth(100);
    DecisionGrid1->SetDefaultRowHeight(20);
}

void TFMain::SpeedButton1Click(TObject*) {
    if (!EnsureConnected()) return;
    DecisionPivot->Hide();
    DecisionQuery->Close();
    DecisionCube->Clear();
    DecisionQuery->SQL().Assign(DecisionSQL->Lines());
    // The editor lists the fields of the query, so the query runs first.
    {
        const BusyCursor busy;
        DecisionCube->RefreshFieldList();
    }
    // However the editor was closed, the cube is built with the map it holds then.
    ShowCubeEditor(DecisionCube);
    const BusyCursor busy;
    DecisionQuery->Open();
    DecisionCube->Load();
    DecisionPivot->Show();
}
