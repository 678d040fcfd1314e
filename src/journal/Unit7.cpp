// The student codes window TForm7: its grid over the journal's students and the save at closing.
#include "journal/Unit7.h"

#include "controls/DBNavigator.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "db/DataSet.h"
#include "platform/ApplicationState.h"
#include "platform/ExceptionBox.h"
#include "session/StudentCodes.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace {

constexpr int CodeColumn = 2; // counted with the indicator as 0

} // namespace

TForm7::TForm7(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Шифры студентов"));
    setFixedSize(431, 465);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(30);
    DBNavigator1 = new TDBNavigator(Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons(TButtonSet(nbPost) | nbCancel);
    DBNavigator1->setHint(nbPost, QStringLiteral("Сохранить"));
    DBNavigator1->setHint(nbCancel, QStringLiteral("Отмена"));
    DBNavigator1->setShowHint(true);
    DBNavigator1->setGeometry(366, 3, 64, 25);

    KvDBGridEh2 = new TKvDBGridEh(this);
    KvDBGridEh2->setObjectName(QStringLiteral("KvDBGridEh2"));
    const QString face = font().family();
    KvDBGridEh2->setTitleFont(TFont(face, 11, colors::clBlack(), true));
    KvDBGridEh2->setMultiLineTitles(true);
    KvDBGridEh2->setAutoFitColWidths(true);
    KvDBGridEh2->setOptions(TDBGridOptions(dgTitles) | dgIndicator | dgColumnResize | dgColLines |
                            dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit);
    KvDBGridEh2->setOptionsEh(TDBGridEhOptions(dghFixed3D) | dghHighlightFocus | dghClearSelection |
                              dghRowHighlight | dghDialogFind);
    KvDBGridEh2->addColumn(QStringLiteral("no"), QStringLiteral("П/П"), 39);
    KvDBGridEh2->addColumn(QStringLiteral("idid"), QStringLiteral("Шифр студента"), 85);
    KvDBGridEh2->addColumn(QStringLiteral("s_fio"), QStringLiteral("ФИО студента"), 270);
    KvDBGridEh2->columnsChanged();
    KvDBGridEh2->OnColEnter = [this](QObject* s) { KvDBGridEh2ColEnter(s); };
    KvDBGridEh2->OnColExit = [this](QObject* s) { KvDBGridEh2ColExit(s); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(KvDBGridEh2);

    FormCreate();
}

TForm7::~TForm7() {
    // A window destroyed without being closed still saves and closes the list.
    if (!closed_)
        FormClose();
}

void TForm7::FormCreate() {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    try {
        session::openStudentCodes(dm);
    } catch (const db::DatabaseError& e) {
        // An empty journal names no student; the window opens with an empty list.
        platform::showExceptionBox(e);
    }
    KvDBGridEh2->setDataSource(&dm.DS_Students);
    DBNavigator1->setDataSource(&dm.DS_Students);
}

void TForm7::KvDBGridEh2ColEnter(QObject*) {
    if (KvDBGridEh2->Col() == CodeColumn)
        KvDBGridEh2->setOptions(KvDBGridEh2->Options() | dgEditing | dgAlwaysShowEditor);
}

void TForm7::KvDBGridEh2ColExit(QObject*) {
    KvDBGridEh2->setOptions(KvDBGridEh2->Options() &
                            ~(TDBGridOptions(dgEditing) | dgAlwaysShowEditor));
}

void TForm7::FormClose() {
    closed_ = true;
    bool committed = true;
    try {
        KvDBGridEh2->commitPendingEdit();
    } catch (const db::DatabaseError&) {
        committed = false;
    } catch (const db::Abort&) {
        committed = false;
    }
    if (committed)
        session::saveStudentCodes(*DM_TAZ_2);
    KvDBGridEh2->setDataSource(nullptr);
    DBNavigator1->setDataSource(nullptr);
    DM_TAZ_2->ADOQ_Students.close();
}

void TForm7::done(int result) {
    if (!closed_)
        FormClose();
    QDialog::done(result);
}

void TForm7::fitWholeRows() {
    // The list ends on a row's lower edge: the window gives up the part of a row that would
    // show cut in half.
    layout()->activate();
    const QHeaderView* titles = KvDBGridEh2->horizontalHeader();
    const int titleHeight =
        titles->minimumHeight() > 0 ? titles->minimumHeight() : titles->sizeHint().height();
    const int rows = KvDBGridEh2->height() - 2 * KvDBGridEh2->frameWidth() - titleHeight;
    const int row = KvDBGridEh2->verticalHeader()->defaultSectionSize();
    const int cut = row > 0 && rows > row ? rows % row : 0;
    if (cut > 0)
        setFixedSize(width(), height() - cut);
}

void TForm7::showEvent(QShowEvent* event) {
    fitWholeRows();
    if (parentWidget() != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(parentWidget()->window()->frameGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
