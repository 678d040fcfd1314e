#include "journal/EditHistory.h"

#include "db/ValueCompare.h"

namespace journal {

EditHistory::~EditHistory() {
    detach();
}

void EditHistory::attach(db::DataSet* dataSet, const QString& keyField) {
    detach();
    dataSet_ = dataSet;
    keyField_ = keyField;
    savedBeforePost_ = dataSet->beforePost;
    savedAfterPost_ = dataSet->afterPost;
    savedAfterOpen_ = dataSet->afterOpen;
    dataSet->beforePost = [this](db::DataSet& ds) { beforePost(ds); };
    dataSet->afterPost = [this](db::DataSet& ds) { afterPost(ds); };
    dataSet->afterOpen = [this](db::DataSet& ds) {
        clear();
        if (savedAfterOpen_)
            savedAfterOpen_(ds);
    };
}

void EditHistory::detach() {
    if (dataSet_ == nullptr)
        return;
    dataSet_->beforePost = savedBeforePost_;
    dataSet_->afterPost = savedAfterPost_;
    dataSet_->afterOpen = savedAfterOpen_;
    dataSet_ = nullptr;
}

void EditHistory::beforePost(db::DataSet& ds) {
    if (savedBeforePost_)
        savedBeforePost_(ds);
    // Taken after the handlers before it, so that it holds what the write will store.
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

void EditHistory::afterPost(db::DataSet& ds) {
    if (!pending_.fields.empty()) {
        if (groupDepth_ > 0)
            group_.push_back(std::move(pending_));
        else
            steps_.push_back({std::move(pending_)});
    }
    pending_ = RowChange();
    if (savedAfterPost_)
        savedAfterPost_(ds);
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

} // namespace journal
