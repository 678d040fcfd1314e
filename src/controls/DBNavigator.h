// The data navigator: buttons that post or cancel the bound data set's edit, with hints.
#pragma once

#include "db/DataSource.h"

#include <QFlags>
#include <QPointer>
#include <QToolButton>
#include <QWidget>

#include <map>

enum TNavigateBtn {
    nbFirst = 0x1,
    nbPrior = 0x2,
    nbNext = 0x4,
    nbLast = 0x8,
    nbInsert = 0x10,
    nbDelete = 0x20,
    nbEdit = 0x40,
    nbPost = 0x80,
    nbCancel = 0x100,
    nbRefresh = 0x200,
};
Q_DECLARE_FLAGS(TButtonSet, TNavigateBtn)
Q_DECLARE_OPERATORS_FOR_FLAGS(TButtonSet)

// Post and cancel are enabled while the data set is being edited. A button's action runs
// in its mouse handler, so a refused post reaches the application's error box.
class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* parent = nullptr);

    db::DataSource* DataSource() const { return source_; }
    void setDataSource(db::DataSource* source);
    TButtonSet VisibleButtons() const { return visible_; }
    void setVisibleButtons(TButtonSet buttons);
    void setHint(TNavigateBtn button, const QString& hint);
    bool ShowHint() const { return showHint_; }
    void setShowHint(bool on);
    QToolButton* button(TNavigateBtn which) const;

    // Runs a button's action as its click does.
    void BtnClick(TNavigateBtn which);

private:
    void layoutButtons();
    void updateEnabled();

    QPointer<db::DataSource> source_;
    std::vector<QMetaObject::Connection> connections_;
    std::map<TNavigateBtn, QToolButton*> buttons_;
    std::map<TNavigateBtn, QString> hints_;
    TButtonSet visible_;
    bool showHint_ = false;
};
