// The main window: the selection cascade, the journal of one group's marks and its status bar.
#pragma once

#include "controls/GridTypes.h"
#include "data/JournalView.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QToolButton;
class TColumnEh;
class TDBLookupComboBox;
class TDBLookupListBox;
class TDateTimePicker;
class TFont;
class TKvDBGridEh;
class TKvDBGridEvents;
class TStatusBar;
class TADOUpdateHistoryExec;
namespace journal {
class JournalGridMenu;
} // namespace journal
namespace session {
class JournalSession;
} // namespace session

namespace platform {
class IPWatch;
}
namespace db {
class DataSet;
}

// Created hidden; shown only after a successful sign-in. Lives until the program ends.
class TForm2 : public QMainWindow, public JournalView {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // The sign-in state.
    QString UserLogin;
    qint32 UserId = 0;
    QString CompName;

    // --- Controls, top to bottom (made once the sign-in has ended)
    QLabel* InfoPanel = nullptr;
    QWidget* SelectionPanel = nullptr;
    QLabel* Label4 = nullptr;
    TDBLookupComboBox* DBLookupComboBox3 = nullptr;
    QLabel* Label6 = nullptr;
    TDBLookupComboBox* DBLookupComboBox4 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QLabel* Label5 = nullptr;
    TDBLookupComboBox* DBLookupComboBox5 = nullptr;
    TDBLookupListBox* DBLookupListBox1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    TDateTimePicker* DateTimePicker1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    TKvDBGridEh* DBGridEh2 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TKvDBGridEvents* F2_Kv_DM_TAZ_2 = nullptr;
    platform::IPWatch* IdIPWatch1 = nullptr;
    // The grid's context menu; other commands join it through addCommand.
    journal::JournalGridMenu* GridMenu = nullptr;

    // --- Selection cascade
    void DBLookupComboBox3Click(QObject* Sender);
    void DBLookupComboBox4Click(QObject* Sender);
    void DBLookupComboBox5Click(QObject* Sender);
    void DBLookupListBox1Click(QObject* Sender);
    void DBLookupComboBox3Enter(QObject* Sender);
    void DBLookupComboBox4Enter(QObject* Sender);
    void DBLookupComboBox5Enter(QObject* Sender);
    void DBLookupListBox1Enter(QObject* Sender);
    void DBLookupComboBox5MouseDown(QObject* Sender, Qt::MouseButton Button, TShiftState Shift,
                                    int X, int Y);
    void DBLookupComboBox5KeyDown(QObject* Sender, quint16& Key, TShiftState Shift);
    void DoNavigation_2();
    void PostPendingJournalEdit();

    // --- Journal loading and filter
    void ComboBox1Change(QObject* Sender);

    // --- Journal grid
    void UpdateCurrentRecordPanel();
    void DBGridEh2GetCellParams(QObject* Sender, TColumnEh* Column, TFont& AFont,
                                QColor& Background, TGridDrawState State);
    void DBGridEh2KeyPress(QObject* Sender, QChar& Key);
    void DBGridEh2KeyUp(QObject* Sender, quint16& Key, TShiftState Shift);
    void DBGridEh2MouseDown(QObject* Sender, Qt::MouseButton Button, TShiftState Shift, int X,
                            int Y);
    void DBGridEh2Columns1UpdateData(QObject* Sender, QString& Text, QVariant& Value, bool& UseText,
                                     bool& Handled);
    void DBGridEh2Columns5UpdateData(QObject* Sender, QString& Text, QVariant& Value, bool& UseText,
                                     bool& Handled);
    void F2_Kv_DM_TAZ_2KvDBEOnConfirmDelete(QObject* Sender, bool& CanDelete);
    void F2_Kv_DM_TAZ_2KeyDown(QObject* Sender, quint16& Key, TShiftState Shift);
    void F2_Kv_DM_TAZ_2DrawColumnCell(QObject* Sender, const QRect& Rect, int DataCol,
                                      TColumnEh* Column, TGridDrawState State);
    // The Ctrl+Z+D chord's command: brings deleted marks back.
    void RestoreDeletedMarks();

    // --- Student codes
    void SpeedButton2Click(QObject* Sender);

    // --- Audit log
    void WriteChangeRecord(const QString& Description, db::DataSet& DataSet,
                           const QString& TableName, const QString& KeyFieldName,
                           QStringList& Statements);
    void WriteDeletionRecord(const QString& Image, db::DataSet& DataSet, const QString& TableName,
                             const QString& KeyFieldName, QStringList& Statements);
    void RunAuditStatements(const QStringList& Statements);
    QString AuditComputer();
    // The one change-history recorder of the program, following the journal.
    TADOUpdateHistoryExec* Recorder() const;

    // --- Bulk hand-in date
    void SpeedButton1Click(QObject* Sender);

    // --- Column paste (Alt+V) and undo of this user's changes (Alt+Backspace)
    void pasteColumnFromClipboard();
    bool canPasteColumn() const;
    void undoLastChange();
    bool canUndo() const;
    int undoSteps() const;

    // The selected key of a selector; none while nothing is selected.
    std::optional<qint32> selectorKey(JournalSelector selector) const;

    // --- JournalView
    void enableSelector(JournalSelector selector) override;
    db::DataSource* journalGridSource() const override;
    QString currentColumnTitle() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void buildWindow();
    void buildLayout();
    void buildSelectionArea();
    void buildGrid();
    void buildGridColumns();
    void buildGridMenu();
    void setUpGridEvents();
    void followJournalInStatusBar();
    void showJournalInStatusBar();
    void connectHandlers();
    void startSession();

    // What the cascade and the grid commands remember between events.
    qint32 DisciplineChosen = 0;
    QString CopyBuffer;
    bool MultiRowCopy = false;
    bool CtrlHeld = false;
    bool ZSeen = false;
    bool DSeen = false;
    std::unique_ptr<session::JournalSession> session_;
};
