#pragma once

#include "db/DataSet.h"
#include "rtl/Classes.h"

// The named link between a dataset and its data-aware controls. Controls observe the
// dataset through it, so swapping the dataset re-points every control at once.
class TDataSource : public TComponent {
  public:
    explicit TDataSource(TComponent* owner = nullptr) : TComponent(owner) {}
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

    // Observers see the events of the current dataset; on a change of dataset they get
    // Closed from the old one and Refreshed for the new one.
    void AddObserver(TDataSetObserver* observer);
    void RemoveObserver(TDataSetObserver* observer);

  private:
    TDataSet* dataSet_ = nullptr;
    std::vector<TDataSetObserver*> observers_;
};
