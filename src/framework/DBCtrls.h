#pragma once

#include <QToolButton>
#include <array>

#include "framework/Controls.h"

class TDataSource;

// The navigator's buttons, in the order they stand.
enum class TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel };

// A bar of buttons that moves through and edits the dataset of a data source.
class TDBNavigator : public TWinControl {
  public:
    explicit TDBNavigator(TComponent* owner);
    void SetDataSource(TDataSource* source) { source_ = source; }
    TDataSource* DataSource() const { return source_; }
    // Does what the button does (as a click on it).
    void BtnClick(TNavigateBtn button);
    QToolButton* Button(TNavigateBtn button) const { return buttons_[static_cast<size_t>(button)]; }

  private:
    TDataSource* source_ = nullptr;
    std::array<QToolButton*, 9> buttons_{};
};
