// What the lookup drop-down and the lookup list box share: a list data set, the chosen key
// and the rule that the list's current row follows that key.
#pragma once

#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace controls {

class LookupBinding : public QObject {
    Q_OBJECT
public:
    struct Item {
        QVariant key;
        QString text;
    };

    explicit LookupBinding(QObject* parent);

    db::DataSource* listSource() const { return source_; }
    void setListSource(db::DataSource* source);
    db::DataSet* listDataSet() const;
    QString keyField;
    QString listField;
    void setFields(const QString& key, const QString& list);

    // The list as shown: empty while the list is closed or detached.
    const std::vector<Item>& items() const { return items_; }
    int indexOfValue() const;
    // A key or none (invalid). Set by the program: the list follows, no handler runs.
    QVariant value() const { return value_; }
    void setValue(const QVariant& key);
    // The display text of the row carrying the value, or empty.
    QString text() const;
    // The user chose row i of the list: the value and the list's current row move there.
    void choose(int index);
    // Current row of the list data set as an index of items(), -1 when none.
    int listRow() const;

    // Told whenever items() or the value changed, so the widget can redraw.
    std::function<void()> changed;

Q_SIGNALS:
    // The chosen key changed, by the user or by the program.
    void valueChanged(const QVariant& key);

private:
    void reload();
    void follow();

    QPointer<db::DataSource> source_;
    std::vector<QMetaObject::Connection> connections_;
    std::vector<Item> items_;
    QVariant value_;
    bool wasActive_ = false;
};

} // namespace controls
