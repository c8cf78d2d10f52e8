#pragma once

#include <QToolButton>
#include <array>
#include <memory>

#include "framework/Controls.h"

class TDataSource;

// The navigator's buttons, in the order they stand.
enum class TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel };

// A bar of buttons that moves through and edits the dataset of a data source. A button
// is enabled only while its action can be done: moving towards an end not reached yet,
// changing a result that can be changed, posting or cancelling only a record being edited.
class TDBNavigator : public TWinControl {
  public:
    explicit TDBNavigator(TComponent* owner);
    ~TDBNavigator() override;
    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const { return source_; }
    // Does what the button does (as a click on it). A cell editor left open in a grid over
    // the same data source first puts its text into the row (Cancel drops it).
    void BtnClick(TNavigateBtn button);
    QToolButton* Button(TNavigateBtn button) const { return buttons_[static_cast<size_t>(button)]; }
    // A grid over `source` opened or closed a cell editor: what is typed there is an edit
    // of the row, to be posted or cancelled.
    static void GridEditingChanged(const TDataSource* source);

  private:
    class Watcher;
    // Enables the buttons from the dataset's state and position.
    void updateButtons();

    TDataSource* source_ = nullptr;
    std::unique_ptr<Watcher> watcher_;
    std::array<QToolButton*, 9> buttons_{};
};
