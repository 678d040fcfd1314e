// The window that lists a selection's deleted journal rows, to tick and restore them.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

class TDBGridEh;

// Created by the restore flow and destroyed when it ends. A tick is written to the server as
// soon as its row is saved, whether or not the window ends with OK.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    TDBGridEh* DBGridEh2;
    QLabel* Label1;
    QPushButton* BitBtn1;

    void BitBtn1Click(QObject* Sender);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildGrid();
    void placeOnScreen(QWidget* over);
};
