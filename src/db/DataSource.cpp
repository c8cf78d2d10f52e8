#include "db/DataSource.h"

#include <algorithm>

// The source forwards by registering its observers with the dataset itself, so events
// reach the controls without another hop.
TDataSource::~TDataSource() {
    if (dataSet_)
        for (TDataSetObserver* o : observers_) dataSet_->RemoveObserver(o);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_)
        for (TDataSetObserver* o : observers_) {
            dataSet_->RemoveObserver(o);
            o->DataSetEvent(dataSet_, TDataEvent::Closed, -1);
        }
    dataSet_ = dataSet;
    if (dataSet_)
        for (TDataSetObserver* o : observers_) {
            dataSet_->AddObserver(o);
            o->DataSetEvent(dataSet_, TDataEvent::Refreshed, dataSet_->RecNo() - 1);
        }
}

void TDataSource::AddObserver(TDataSetObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
    observers_.push_back(observer);
    if (dataSet_) dataSet_->AddObserver(observer);
}

void TDataSource::RemoveObserver(TDataSetObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
    if (dataSet_) dataSet_->RemoveObserver(observer);
}
