// The lookup drop-down: chooses one key of a list data set and shows the row's text.
#pragma once

#include "controls/GridTypes.h"
#include "controls/LookupBinding.h"

#include <QComboBox>

// OnClick runs on every choice of the user (mouse in the drop-down, arrow keys on the closed
// box), also when the chosen entry was already chosen; never when the program sets KeyValue.
class TDBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDBLookupComboBox(QWidget* parent = nullptr);

    db::DataSource* ListSource() const { return binding_.listSource(); }
    void setListSource(db::DataSource* source) { binding_.setListSource(source); }
    QString KeyField() const { return binding_.keyField; }
    QString ListField() const { return binding_.listField; }
    void setFields(const QString& keyField, const QString& listField) {
        binding_.setFields(keyField, listField);
    }

    // The chosen key, or an invalid variant for none.
    QVariant KeyValue() const { return binding_.value(); }
    void setKeyValue(const QVariant& key) { binding_.setValue(key); }
    QString Text() const { return binding_.text(); }

    TNotifyEvent OnClick;
    TNotifyEvent OnEnter;
    TMouseEvent OnMouseDown;
    TKeyEvent OnKeyDown;

Q_SIGNALS:
    // The chosen key changed, by the user or by the program.
    void keyValueChanged(const QVariant& key);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void keyPress(QKeyEvent* e);
    void mousePress(QMouseEvent* e);
    void refill();
    void choose(int index);

    controls::LookupBinding binding_;
    bool filling_ = false;
};
