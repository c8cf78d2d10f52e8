#pragma once

#include "cube/CubeMap.h"
#include "framework/Forms.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class TDecisionCube;

// The decision cube's editor: per field of the query its role (dimension, sum, count,
// average or none), display name, date grouping and number format, and the cube's
// limits. OK checks the choice against the limits and hands it to the cube; Cancel
// leaves the cube as it was.
class TDssCubeEditor : public TForm {
  public:
    TDssCubeEditor(TComponent* owner, TDecisionCube* cube);

    QListWidget* FieldList() const { return fields_; }
    QComboBox* RoleBox() const { return role_; }
    QLineEdit* DisplayNameEdit() const { return displayName_; }
    QComboBox* GroupingBox() const { return grouping_; }
    QLineEdit* FormatEdit() const { return format_; }
    QSpinBox* MaxDimensionsBox() const { return maxDimensions_; }
    QSpinBox* MaxSummariesBox() const { return maxSummaries_; }
    QSpinBox* MaxCellsBox() const { return maxCells_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // The map as edited so far.
    const TCubeMap& Map() const { return map_; }

  private:
    void showField(int row);
    void storeField();
    void refreshList();
    void accept();

    TDecisionCube* cube_;
    TCubeMap map_;
    int current_ = -1;
    bool loading_ = false;
    QListWidget* fields_;
    QComboBox* role_;
    QLineEdit* displayName_;
    QComboBox* grouping_;
    QLineEdit* format_;
    QSpinBox* maxDimensions_;
    QSpinBox* maxSummaries_;
    QSpinBox* maxCells_;
    QLabel* counts_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Shows the editor for `cube` modally, centred on the screen, and destroys it after.
// Returns the modal result.
int ShowCubeEditor(TDecisionCube* cube);
