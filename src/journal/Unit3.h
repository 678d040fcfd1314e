// The warning window that lists the journal rows about to be deleted.
#pragma once

#include "journal/StringGrid.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

class QScreen;

// Modal results of the window: "Да" answers yes, "Нет", Esc and any other close cancel.
constexpr int mrCancel = 2;
constexpr int mrYes = 6;

// Beeps when created and keeps its two buttons centred in the bottom strip.
class TForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    QFrame* Panel1;
    QLabel* Warning_Image;
    QLabel* Count_Lbl;
    QLabel* Qst_Lbl;
    TStringGrid* StringGrid;
    QFrame* Panel2;
    QWidget* Btns_Pnl;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

    void reject() override;
    // The width asked for, no wider than the screen the window opens on; the window stays
    // inside that screen's free area.
    void setWidthOnScreen(int wanted, QScreen* screen);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    bool FormCanResize();
    void layOut();
    void keepOnScreen();
    void widenColumnsToTitles();

    QPointer<QScreen> screen_;
};
