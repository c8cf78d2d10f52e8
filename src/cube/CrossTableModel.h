#pragma once

#include <QAbstractTableModel>
#include <QColor>

class TDecisionSource;

// The cross table of a decision source as a table model. Like a printed cross table
// its headings are cells: the first rows hold the column dimensions' names and values,
// the first columns the row dimensions' names and values; the summary values follow.
class CrossTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum CellKind { Empty, Caption, Label, SummaryLabel, Data };
    static constexpr int CellKindRole = Qt::UserRole + 1;

    // Background and text colour of each kind of cell (invalid: the view's own).
    struct Colours {
        QColor caption, captionText;            // dimension names
        QColor data, dataText;                  // summary values
        QColor label, labelText;                // dimension values
        QColor summaryLabel, summaryLabelText;  // the summary's name
    };

    explicit CrossTableModel(TDecisionSource* source, QObject* parent = nullptr);
    void SetColours(const Colours& colours);

    // Rows and columns of headings before the first value.
    int HeadingRows() const;
    int HeadingColumns() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    CellKind kind(int row, int col) const;
    QString text(int row, int col) const;
    // Shows the value of an outer level only where it changes, as a printed table does.
    QString valueLabel(int dimension, int value) const;

    TDecisionSource* source_;
    Colours colours_;
};
