// Scoped pairs on a data set: controls disabled, display row set.
#pragma once

#include "db/DataSet.h"

#include <QPointer>

// Keeps the data set's controls disabled for its lifetime, even when an exception leaves.
class ControlsDisabled {
public:
    explicit ControlsDisabled(db::DataSet& ds)
        : ds_(&ds) {
        ds.disableControls();
    }
    ~ControlsDisabled() {
        if (ds_)
            ds_->enableControls();
    }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    QPointer<db::DataSet> ds_;
};

// Makes fields read one visible row, and gives the previous one back.
class DisplayRow {
public:
    DisplayRow(db::DataSet& ds, int visibleIndex)
        : ds_(ds)
        , previous_(ds.setDisplayRow(visibleIndex)) {}
    ~DisplayRow() { ds_.setDisplayRow(previous_); }
    DisplayRow(const DisplayRow&) = delete;
    DisplayRow& operator=(const DisplayRow&) = delete;

private:
    db::DataSet& ds_;
    int previous_;
};
