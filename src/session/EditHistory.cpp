#include "session/EditHistory.h"

#include "db/ValueCompare.h"

namespace session {

EditHistory::~EditHistory() = default;

void EditHistory::captureRow(const db::DataSet& ds) {
    pending_ = RowChange();
    if (paused_ > 0 || ds.state() != db::DataSetState::Edit)
        return;
    const db::Field* key = ds.findField(keyField_);
    if (key == nullptr)
        return;
    pending_.key = key->oldValue();
    for (const db::Field* field : ds.fields()) {
        if (!field->isData() || db::sameValue(field->value(), field->oldValue()))
            continue;
        pending_.fields.push_back({field->fieldName(), field->oldValue(), field->value()});
    }
}

void EditHistory::keepStep() {
    if (!pending_.fields.empty()) {
        if (groupDepth_ > 0)
            group_.push_back(std::move(pending_));
        else
            steps_.push_back({std::move(pending_)});
    }
    pending_ = RowChange();
}

EditHistory::Group::Group(EditHistory& history)
    : history_(history) {
    if (history_.groupDepth_++ == 0)
        history_.group_.clear();
}

EditHistory::Group::~Group() {
    if (--history_.groupDepth_ > 0)
        return;
    if (!history_.group_.empty())
        history_.steps_.push_back(std::move(history_.group_));
    history_.group_.clear();
}

PostRefusalsThrown::PostRefusalsThrown(db::DataSet& dataSet)
    : dataSet_(dataSet)
    , saved_(dataSet.onPostError) {
    dataSet_.onPostError = [](db::DataSet&, const db::DatabaseError&, db::DataAction& action) {
        action = db::DataAction::Fail;
    };
}

PostRefusalsThrown::~PostRefusalsThrown() {
    dataSet_.onPostError = saved_;
}

bool PostRefusalsThrown::rowChangedByOthers(const db::DatabaseError& error) {
    return error.kind() == db::ErrorKind::Conflict;
}

} // namespace session
