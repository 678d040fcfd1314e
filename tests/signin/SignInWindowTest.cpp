// The sign-in window as a user meets it: layout, pictures, keys, panel and drag.
#include "support/SignInFixture.h"

#include "signin/Picture.h"
#include "signin/PictureButton.h"
#include "signin/SelfUpdate.h"

#include <QApplication>
#include <QClipboard>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>

using testsupport::SignInFixture;

TEST_F(SignInFixture, WindowShowsEveryControlWhereItBelongs) {
    TForm8& w = openWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Аутентификация"));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.size(), QSize(497, 273));
    EXPECT_EQ(QApplication::focusWidget(), w.Login_Edit);

    const std::vector<std::pair<QWidget*, QRect>> places = {
        {w.Image1, {0, 0, 497, 278}},          {w.Image2, {0, 277, 497, 139}},
        {w.Login_Edit, {146, 202, 187, 21}},   {w.Password_Edit, {146, 238, 187, 21}},
        {w.Edit1, {148, 309, 186, 21}},        {w.Edit2, {148, 345, 186, 21}},
        {w.SpeedButton2, {349, 200, 55, 20}},  {w.SpeedButton1, {418, 199, 67, 22}},
        {w.SpeedButton3, {346, 236, 139, 22}}, {w.RzLabel1, {60, 107, 329, 78}},
        {w.ProgressBar, {146, 120, 187, 6}},
    };
    for (const auto& [widget, rect] : places)
        EXPECT_EQ(widget->geometry(), rect) << widget->objectName().toStdString();

    EXPECT_EQ(w.Label1->text(), QStringLiteral("V.1"));
    EXPECT_EQ(w.Label1->pos(), QPoint(6, 5));
    EXPECT_TRUE(w.Label1->font().bold());
    EXPECT_EQ(w.Label1->font().pixelSize(), 13);
    EXPECT_EQ(w.RzLabel1->text(), QString());
    EXPECT_TRUE(w.RzLabel1->font().bold());
    EXPECT_EQ(w.RzLabel1->font().pixelSize(), 13);
    EXPECT_EQ(w.RzLabel1->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(w.RzLabel1->wordWrap());
    EXPECT_TRUE(w.ProgressBar->isHidden());
    EXPECT_EQ(w.ProgressBar->maximum(), 14);
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 2000);
    EXPECT_EQ(w.AttemptCount, 0);
    EXPECT_FALSE(w.PasswordPanelOpen);

    // Three masked edits show '*', the login is plain.
    EXPECT_EQ(w.Login_Edit->echoMode(), QLineEdit::Normal);
    for (QLineEdit* e : {w.Password_Edit, w.Edit1, w.Edit2}) {
        EXPECT_EQ(e->echoMode(), QLineEdit::Password);
        EXPECT_EQ(e->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, e), u'*');
    }
    for (auto* b : {w.SpeedButton1, w.SpeedButton2, w.SpeedButton3})
        EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);

    // Tab walks the four edits in order.
    for (QWidget* next : {static_cast<QWidget*>(w.Password_Edit), static_cast<QWidget*>(w.Edit1),
                          static_cast<QWidget*>(w.Edit2)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(SignInFixture, PicturesAreDecodedByTheJpegPlugin) {
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("jpeg"))
        << "Qt's JPEG image plugin is missing";
    for (const char* name : {":/signin/Image1.jpg", ":/signin/Image2.jpg"}) {
        QImageReader reader(QString::fromLatin1(name));
        EXPECT_EQ(reader.format(), QByteArray("jpeg")) << name;
        EXPECT_FALSE(reader.read().isNull()) << name << ": " << reader.errorString().toStdString();
    }
    TForm8& w = openWindow();
    EXPECT_EQ(w.Image1->image().size(), QSize(497, 278));
    EXPECT_EQ(w.Image2->image().size(), QSize(497, 139));
    // What shows behind the login field is the picture, not an empty window.
    const QImage shot = w.grab().toImage();
    EXPECT_NE(shot.pixelColor(20, 20), shot.pixelColor(20, 150));
}

TEST_F(SignInFixture, PanelButtonTogglesTheHeightAndKeepsTheEdits) {
    TForm8& w = openWindow();
    w.Edit1->setText(QStringLiteral("abc"));
    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
    EXPECT_TRUE(w.PasswordPanelOpen);
    EXPECT_EQ(w.size(), QSize(497, 416));
    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
    EXPECT_FALSE(w.PasswordPanelOpen);
    EXPECT_EQ(w.size(), QSize(497, 275));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("abc"));
}

TEST_F(SignInFixture, NewPasswordEditsTakeOnlyLatinLettersDigitsAndUnderscore) {
    TForm8& w = openWindow();
    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    for (QLineEdit* e : {w.Edit1, w.Edit2}) {
        e->setFocus();
        testsupport::typeText(e, QStringLiteral("aЖ b-_7;Z"));
        EXPECT_EQ(e->text(), QStringLiteral("ab_7Z")) << e->objectName().toStdString();
        QTest::keyClick(e, Qt::Key_Backspace);
        EXPECT_EQ(e->text(), QStringLiteral("ab_7"));
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(e->text(), QStringLiteral("ab_7"));
    }
    // The login takes any character of the code page.
    testsupport::typeText(w.Login_Edit, QStringLiteral("Иванов И.-И"));
    EXPECT_EQ(w.Login_Edit->text(), QStringLiteral("Иванов И.-И"));
}

TEST_F(SignInFixture, EnterInAnyEditStartsAnAttemptWithoutABeep) {
    TForm8& w = openWindow();
    // Without a settings file each attempt ends at once with its box.
    w.setSettingsPath(dir.path(QStringLiteral("none/KEL")));
    int attempts = 0;
    for (QLineEdit* e : {w.Login_Edit, w.Password_Edit, w.Edit1, w.Edit2}) {
        e->setFocus();
        e->setText(QStringLiteral("x"));
        QTest::keyClick(e, Qt::Key_Return);
        QTest::keyClick(e, Qt::Key_Enter);
        attempts += 2;
        EXPECT_EQ(w.AttemptCount, attempts) << e->objectName().toStdString();
        EXPECT_EQ(e->text(), QStringLiteral("x"));
    }
    EXPECT_EQ(boxes.size(), 8u);
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(SignInFixture, DraggingThePicturesOrTheLabelMovesTheWindow) {
    TForm8& w = openWindow();
    for (QWidget* handle : {static_cast<QWidget*>(w.Image1), static_cast<QWidget*>(w.RzLabel1)}) {
        const QPoint start = w.pos();
        const QPoint at(30, 30);
        QTest::mousePress(handle, Qt::LeftButton, {}, at);
        QTest::mouseMove(handle, at + QPoint(40, 25));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at + QPoint(40, 25));
        EXPECT_EQ(w.pos(), start + QPoint(40, 25)) << handle->objectName().toStdString();
    }
    // Other buttons do not drag.
    const QPoint start = w.pos();
    QTest::mousePress(w.Image1, Qt::RightButton, {}, QPoint(30, 30));
    QTest::mouseMove(w.Image1, QPoint(90, 90));
    QTest::mouseRelease(w.Image1, Qt::RightButton, {}, QPoint(90, 90));
    EXPECT_EQ(w.pos(), start);
}

TEST_F(SignInFixture, CancelEndsTheProgramAndCloseRequestsCancelToo) {
    TForm8& w = openWindow();
    QTest::mouseClick(w.SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(w.result(), TForm8::ModalCancel);
    EXPECT_TRUE(platform::terminationRequested());
    EXPECT_FALSE(w.isVisible());

    platform::resetApplicationState();
    TForm8& again = openWindow();
    QTest::keyClick(again.Login_Edit, Qt::Key_Escape);
    EXPECT_TRUE(again.isVisible()); // Escape is no way to end the program by accident
    again.close();
    EXPECT_EQ(again.result(), TForm8::ModalCancel);
}

TEST_F(SignInFixture, WindowDeletesTheScriptAnEarlierUpdateLeft) {
    QFile script(signin::updateScriptPath(QCoreApplication::applicationDirPath()));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.close();
    openWindow();
    EXPECT_FALSE(QFile::exists(signin::updateScriptPath(QCoreApplication::applicationDirPath())));
}
