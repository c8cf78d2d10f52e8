#include "cube/CubeProgress.h"

#include <QApplication>

#include "cube/CubeMap.h"
#include "cube/DecisionCube.h"
#include "framework/ControlPlacement.h"
#include "framework/StdCtrls.h"

namespace {

// Painting costs little, but not on every batch of a fast read.
constexpr int kPaintEveryMs = 100;

}  // namespace

TCubeProgressDialog::TCubeProgressDialog(TComponent* owner, TDecisionCube* cube) : TForm(owner), cube_(cube) {
    SetName(QStringLiteral("CubeProgress"));
    SetCaption(QStringLiteral("Decision Cube"));
    SetBorderStyle(TBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetStayOnTop(true);
    SetClientSize(280, 70);
    title_ =
        Place<TLabel>(this, this, "ProgressTitle", 16, 12, 250, 18, QStringLiteral("Building the cube..."));
    rows_ = Place<TLabel>(this, this, "ProgressRows", 16, 38, 250, 18);
    cube_->OnLoadStart.push_back([this] { started(); });
    cube_->OnProgress.push_back([this](long long rows) { progress(rows); });
    cube_->OnLoadEnd.push_back([this] { ended(); });
}

QString TCubeProgressDialog::Text() const {
    return rows_->Caption();
}

void TCubeProgressDialog::started() {
    rows_->SetCaption(QStringLiteral("Rows read: 0"));
    active_ = cube_->ShowProgressDialog();
    if (!active_) return;
    Show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    shown_.start();
}

void TCubeProgressDialog::progress(long long rows) {
    rows_->SetCaption(
        QStringLiteral("Rows read: %1").arg(FormatSummary(double(rows), QStringLiteral("#,##0"))));
    if (!active_ || shown_.elapsed() < kPaintEveryMs) return;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    shown_.restart();
}

void TCubeProgressDialog::ended() {
    if (active_) Hide();
    active_ = false;
}
