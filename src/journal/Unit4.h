// The notice window shown while the journal loads or many rows are written.
#pragma once

#include "data/LoadingNotice.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

// A small always-on-top notice without a close box; closing it destroys it.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    QLabel* Label1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
};

// The one shared reference to the notice window; empty while none exists. It clears itself
// when the window is destroyed, whoever destroys it.
extern QPointer<TForm4> Form4;

namespace journal {

// Creates the notice into Form4 (when none exists) and shows it, not modal.
void showLoadingNotice();
// Shows a notice and returns once it is on screen and painted.
void showPainted(TForm4* notice);
// Destroys the notice through Form4, clearing it.
void destroyLoadingNotice();
// The notice as the data module reaches it.
data::LoadingNoticeHook loadingNoticeHook();

} // namespace journal
