// The main window: the journal of one group's marks.
#pragma once

#include <QMainWindow>

// Created hidden; shown only after a successful sign-in.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // The sign-in state.
    QString UserLogin;
    qint32 UserId = 0;
    QString CompName;

private:
    void FormCreate();
};
