// The student codes window: the students of the loaded journal, whose codes can be corrected.
#pragma once

#include <QDialog>
#include <QFrame>

class TDBNavigator;
class TKvDBGridEh;

// Lives while it is shown. Only the code column is editable, and only while it is current;
// each row's edit is saved when the row is left, by the navigator, or at closing.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    QFrame* Panel1;
    TDBNavigator* DBNavigator1;
    TKvDBGridEh* KvDBGridEh2;

    void KvDBGridEh2ColEnter(QObject* Sender);
    void KvDBGridEh2ColExit(QObject* Sender);

    // Every way of closing (close box, Esc, code) saves the edit first.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void fitWholeRows();
    bool closed_ = false;
};
