// The changes this user posted to journal rows in this session, in steps that can be taken
// back one at a time: a typed row, a pasted column or a bulk date is one step each.
#pragma once

#include "db/DataSet.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace session {

struct FieldChange {
    QString field;
    QVariant before;
    QVariant after;
};

struct RowChange {
    QVariant key;
    std::vector<FieldChange> fields;
};

using EditStep = std::vector<RowChange>;

class EditHistory {
public:
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    explicit EditHistory(const QString& keyField)
        : keyField_(keyField) {}

    // Before a post, after every step that may change the row: what the write will store.
    void captureRow(const db::DataSet& dataSet);
    // After the post's commit: the captured row becomes a step, or joins the open group.
    void keepStep();

    bool canUndo() const { return !steps_.empty(); }
    int steps() const { return static_cast<int>(steps_.size()); }
    const EditStep& lastStep() const { return steps_.back(); }
    void dropLastStep() { steps_.pop_back(); }
    void clear() { steps_.clear(); }

    // Posts made while a group is open form one step.
    class Group {
    public:
        explicit Group(EditHistory& history);
        ~Group();
        Group(const Group&) = delete;
        Group& operator=(const Group&) = delete;

    private:
        EditHistory& history_;
    };

    // Posts that take a step back are not themselves recorded.
    class Paused {
    public:
        explicit Paused(EditHistory& history)
            : history_(history) {
            ++history_.paused_;
        }
        ~Paused() { --history_.paused_; }
        Paused(const Paused&) = delete;
        Paused& operator=(const Paused&) = delete;

    private:
        EditHistory& history_;
    };

private:
    QString keyField_;
    std::vector<EditStep> steps_;
    RowChange pending_;
    EditStep group_;
    int groupDepth_ = 0;
    int paused_ = 0;
};

// While it lives, a refused post of the data set is not reported by the data set's handlers
// but thrown to the caller, who tells the user what the refusal means for the command.
class PostRefusalsThrown {
public:
    explicit PostRefusalsThrown(db::DataSet& dataSet);
    ~PostRefusalsThrown();
    PostRefusalsThrown(const PostRefusalsThrown&) = delete;
    PostRefusalsThrown& operator=(const PostRefusalsThrown&) = delete;

    // The optimistic check found the row changed since it was read.
    static bool rowChangedByOthers(const db::DatabaseError& error);

private:
    db::DataSet& dataSet_;
    db::DataSet::ErrorEvent saved_;
};

} // namespace session
