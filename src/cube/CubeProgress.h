#pragma once

#include <QElapsedTimer>

#include "framework/Forms.h"

class TDecisionCube;
class TLabel;

// The window shown while a cube loads: how many rows have been read so far. It lets
// the program paint (never take input) between batches, so the windows stay drawn.
class TCubeProgressDialog : public TForm {
  public:
    TCubeProgressDialog(TComponent* owner, TDecisionCube* cube);

    TLabel* RowsLabel() const { return rows_; }
    // The text shown last (also after the window has gone).
    QString Text() const;

  private:
    void started();
    void progress(long long rows);
    void ended();

    TDecisionCube* cube_;
    TLabel* title_;
    TLabel* rows_;
    QElapsedTimer shown_;
    bool active_ = false;
};
