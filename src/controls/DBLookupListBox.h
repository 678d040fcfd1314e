// The lookup list box: the list data set's rows, one of which is the chosen key.
#pragma once

#include "controls/GridTypes.h"
#include "controls/LookupBinding.h"

#include <QListWidget>

// Same rules as the lookup drop-down: a click on a row (or an arrow key) is the user's
// choice and runs OnClick; KeyValue set by the program runs nothing.
class TDBLookupListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDBLookupListBox(QWidget* parent = nullptr);

    db::DataSource* ListSource() const { return binding_.listSource(); }
    void setListSource(db::DataSource* source) { binding_.setListSource(source); }
    QString KeyField() const { return binding_.keyField; }
    QString ListField() const { return binding_.listField; }
    void setFields(const QString& keyField, const QString& listField) {
        binding_.setFields(keyField, listField);
    }

    QVariant KeyValue() const { return binding_.value(); }
    void setKeyValue(const QVariant& key) { binding_.setValue(key); }
    QString Text() const { return binding_.text(); }

    TNotifyEvent OnClick;
    TNotifyEvent OnEnter;
    TKeyEvent OnKeyDown;

Q_SIGNALS:
    // The chosen key changed, by the user or by the program.
    void keyValueChanged(const QVariant& key);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    void keyPress(QKeyEvent* e);
    void mousePress(QMouseEvent* e);
    void refill();
    void showValue();
    void choose(int index);

    controls::LookupBinding binding_;
};
