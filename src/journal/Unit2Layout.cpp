// The main window's strips and the selection area's controls, and the wiring of its handlers.
#include "journal/Unit2.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "controls/DateTimePicker.h"
#include "controls/Graphics.h"
#include "controls/HandlerErrors.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "journal/StatusBar.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont areaFont(const QFont& base) {
    QFont f = base;
    f.setPixelSize(13);
    f.setBold(true);
    return f;
}

void paintSilver(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colors::clSilver());
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* areaLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(areaFont(parent->font()));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colors::clNavy());
    label->setPalette(p);
    label->adjustSize();
    label->move(left, top);
    return label;
}

QFrame* line(QWidget* parent, int height) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setFixedHeight(height);
    return frame;
}

} // namespace

void TForm2::buildLayout() {
    QFont windowFont = QApplication::font();
    windowFont.setPointSize(8);
    setFont(windowFont);
    paintSilver(this);
    setMinimumSize(803, 326);
    resize(1036, 737);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setWindowState(Qt::WindowMaximized);

    auto* central = new QWidget(this);
    paintSilver(central);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    InfoPanel = new QLabel(central);
    InfoPanel->setObjectName(QStringLiteral("InfoPanel"));
    InfoPanel->setFixedHeight(31);
    InfoPanel->setAlignment(Qt::AlignCenter);
    QFont infoFont = windowFont;
    infoFont.setPixelSize(13);
    infoFont.setBold(true);
    InfoPanel->setFont(infoFont);
    paintSilver(InfoPanel);
    column->addWidget(InfoPanel);

    SelectionPanel = new QWidget(central);
    SelectionPanel->setObjectName(QStringLiteral("SelectionPanel"));
    SelectionPanel->setFixedHeight(91);
    paintSilver(SelectionPanel);
    column->addWidget(SelectionPanel);
    buildSelectionArea();

    column->addWidget(line(central, 2));
    column->addSpacing(5);

    auto* gridRow = new QHBoxLayout;
    gridRow->setContentsMargins(6, 0, 6, 0);
    buildGrid();
    DBGridEh2->setParent(central);
    gridRow->addWidget(DBGridEh2);
    column->addLayout(gridRow, 1);
    setCentralWidget(central);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->addPanel(150, QStringLiteral("Количество записей: 0"));
    StatusBar1->addPanel(150, QStringLiteral("Текущая запись: 0"));
    StatusBar1->addPanel(150, QStringLiteral("Выполнение: Удачно"));
    StatusBar1->addPanel(50);
    setStatusBar(StatusBar1);
}

void TForm2::buildSelectionArea() {
    QWidget* area = SelectionPanel;
    Label4 = areaLabel(area, "Label4", QStringLiteral("Выберите группу:"), 32, 4);
    DBLookupComboBox3 = new TDBLookupComboBox(area);
    DBLookupComboBox3->setObjectName(QStringLiteral("DBLookupComboBox3"));
    DBLookupComboBox3->setGeometry(167, 3, 249, 21);

    Label6 = areaLabel(area, "Label6", QStringLiteral("Выберите семестр:"), 422, 4);
    DBLookupComboBox4 = new TDBLookupComboBox(area);
    DBLookupComboBox4->setObjectName(QStringLiteral("DBLookupComboBox4"));
    DBLookupComboBox4->setGeometry(568, 3, 295, 21);
    DBLookupComboBox4->setEnabled(false);

    SpeedButton2 = new QToolButton(area);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("Шифр\nСтудентов"));
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setGeometry(4, 25, 61, 31);
    SpeedButton2->setEnabled(false);
    SpeedButton2->setFocusPolicy(Qt::NoFocus);

    Label5 = areaLabel(area, "Label5", QStringLiteral("Дисциплина:"), 68, 35);
    DBLookupComboBox5 = new TDBLookupComboBox(area);
    DBLookupComboBox5->setObjectName(QStringLiteral("DBLookupComboBox5"));
    DBLookupComboBox5->setGeometry(167, 32, 696, 21);
    DBLookupComboBox5->setEnabled(false);

    DBLookupListBox1 = new TDBLookupListBox(area);
    DBLookupListBox1->setObjectName(QStringLiteral("DBLookupListBox1"));
    DBLookupListBox1->setGeometry(866, 7, 133, 43);

    Bevel1 = new QFrame(area);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(0, 58, 1200, 2);

    Label1 = areaLabel(area, "Label1", QStringLiteral("Фильтр:"), 7, 69);
    ComboBox1 = new QComboBox(area);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Показать тех кто изучает данную дисциплину"),
                         QStringLiteral("Показать задолжности"), QStringLiteral("Показать всех")});
    ComboBox1->setCurrentIndex(2);
    ComboBox1->setGeometry(70, 66, 369, 21);
    ComboBox1->setEnabled(false);

    Label2 = areaLabel(area, "Label2", QStringLiteral("Дата сдачи для всех:"), 451, 68);
    DateTimePicker1 = new TDateTimePicker(area);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setGeometry(610, 66, 92, 21);

    SpeedButton1 = new QToolButton(area);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Установить дату"));
    QFont bold = SpeedButton1->font();
    bold.setBold(true);
    SpeedButton1->setFont(bold);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(708, 66, 123, 22);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);

    // The four selectors first, in the order the cascade runs.
    setTabOrder(DBLookupComboBox3, DBLookupComboBox4);
    setTabOrder(DBLookupComboBox4, DBLookupComboBox5);
    setTabOrder(DBLookupComboBox5, DBLookupListBox1);
    setTabOrder(DBLookupListBox1, ComboBox1);
    setTabOrder(ComboBox1, DateTimePicker1);
}

void TForm2::connectHandlers() {
    DBLookupComboBox3->OnClick = [this](QObject* s) { DBLookupComboBox3Click(s); };
    DBLookupComboBox4->OnClick = [this](QObject* s) { DBLookupComboBox4Click(s); };
    DBLookupComboBox5->OnClick = [this](QObject* s) { DBLookupComboBox5Click(s); };
    DBLookupListBox1->OnClick = [this](QObject* s) { DBLookupListBox1Click(s); };
    DBLookupComboBox3->OnEnter = [this](QObject* s) { DBLookupComboBox3Enter(s); };
    DBLookupComboBox4->OnEnter = [this](QObject* s) { DBLookupComboBox4Enter(s); };
    DBLookupComboBox5->OnEnter = [this](QObject* s) { DBLookupComboBox5Enter(s); };
    DBLookupListBox1->OnEnter = [this](QObject* s) { DBLookupListBox1Enter(s); };
    DBLookupComboBox5->OnMouseDown = [this](QObject* s, Qt::MouseButton b, TShiftState sh, int x,
                                            int y) { DBLookupComboBox5MouseDown(s, b, sh, x, y); };
    DBLookupComboBox5->OnKeyDown = [this](QObject* s, quint16& k, TShiftState sh) {
        DBLookupComboBox5KeyDown(s, k, sh);
    };
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { controls::runHandler(this, [this] { ComboBox1Change(ComboBox1); }); });
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { controls::runHandler(this, [this] { SpeedButton1Click(SpeedButton1); }); });
    connect(SpeedButton2, &QToolButton::clicked, this,
            [this] { controls::runHandler(this, [this] { SpeedButton2Click(SpeedButton2); }); });

    if (DM_TAZ_2 == nullptr)
        return;
    DBLookupComboBox3->setFields(QStringLiteral("id_group"), QStringLiteral("p20"));
    DBLookupComboBox3->setListSource(&DM_TAZ_2->DS_group);
    DBLookupComboBox4->setFields(QStringLiteral("id_semester"), QStringLiteral("p43"));
    DBLookupComboBox4->setListSource(&DM_TAZ_2->DS_g_sem);
    DBLookupComboBox5->setFields(QStringLiteral("id_discipline"), QStringLiteral("p34"));
    DBLookupComboBox5->setListSource(&DM_TAZ_2->DS_discipline);
    DBLookupListBox1->setFields(QStringLiteral("id_examination"), QStringLiteral("p30"));
    DBLookupListBox1->setListSource(&DM_TAZ_2->DataSource2);
    // The data module holds the chosen keys as values, kept current here and only here.
    const auto keepSelection = [this] {
        if (DM_TAZ_2 != nullptr)
            DM_TAZ_2->setSelection({selectorKey(JournalSelector::Group),
                                    selectorKey(JournalSelector::Semester),
                                    selectorKey(JournalSelector::Discipline),
                                    selectorKey(JournalSelector::FormOfControl)});
    };
    for (auto* box : {DBLookupComboBox3, DBLookupComboBox4, DBLookupComboBox5})
        connect(box, &TDBLookupComboBox::keyValueChanged, this, keepSelection);
    connect(DBLookupListBox1, &TDBLookupListBox::keyValueChanged, this, keepSelection);
    keepSelection();
}
