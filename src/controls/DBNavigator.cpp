// Navigator buttons and their data set actions.
#include "controls/DBNavigator.h"

#include "controls/HandlerErrors.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QStyle>

namespace {

// A button whose action runs from its own mouse release, not from a signal.
class NavButton : public QToolButton {
public:
    NavButton(TDBNavigator* owner, TNavigateBtn which)
        : QToolButton(owner)
        , owner_(owner)
        , which_(which) {
        setFocusPolicy(Qt::NoFocus);
        setAutoRaise(false);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool inside = rect().contains(e->position().toPoint());
        const bool wasDown = isDown();
        QToolButton::mouseReleaseEvent(e);
        if (inside && wasDown && e->button() == Qt::LeftButton && isEnabled())
            controls::runHandler(owner_, [this] { owner_->BtnClick(which_); });
    }

private:
    TDBNavigator* owner_;
    TNavigateBtn which_;
};

struct ButtonLook {
    TNavigateBtn which;
    QStyle::StandardPixmap icon;
    const char* hint;
};

const ButtonLook kLooks[] = {
    {nbFirst, QStyle::SP_MediaSkipBackward, "Первая запись"},
    {nbPrior, QStyle::SP_MediaSeekBackward, "Предыдущая запись"},
    {nbNext, QStyle::SP_MediaSeekForward, "Следующая запись"},
    {nbLast, QStyle::SP_MediaSkipForward, "Последняя запись"},
    {nbInsert, QStyle::SP_FileDialogNewFolder, "Добавить запись"},
    {nbDelete, QStyle::SP_TrashIcon, "Удалить запись"},
    {nbEdit, QStyle::SP_FileDialogDetailedView, "Изменить запись"},
    {nbPost, QStyle::SP_DialogApplyButton, "Сохранить"},
    {nbCancel, QStyle::SP_DialogCancelButton, "Отмена"},
    {nbRefresh, QStyle::SP_BrowserReload, "Обновить"},
};

} // namespace

TDBNavigator::TDBNavigator(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const ButtonLook& look : kLooks) {
        auto* b = new NavButton(this, look.which);
        b->setIcon(style()->standardIcon(look.icon));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
        buttons_[look.which] = b;
        hints_[look.which] = QString::fromUtf8(look.hint);
    }
    setVisibleButtons(TButtonSet(0x3FF));
    updateEnabled();
}

QToolButton* TDBNavigator::button(TNavigateBtn which) const {
    auto it = buttons_.find(which);
    return it != buttons_.end() ? it->second : nullptr;
}

void TDBNavigator::setDataSource(db::DataSource* source) {
    for (auto& c : connections_)
        disconnect(c);
    connections_.clear();
    source_ = source;
    if (source_) {
        auto update = [this] { updateEnabled(); };
        connections_.push_back(connect(source_, &db::DataSource::stateChanged, this, update));
        connections_.push_back(connect(source_, &db::DataSource::activeChanged, this, update));
        connections_.push_back(connect(source_, &db::DataSource::dataSetChanged, this, update));
        connections_.push_back(connect(source_, &db::DataSource::recordChanged, this, update));
    }
    updateEnabled();
}

void TDBNavigator::setVisibleButtons(TButtonSet buttons) {
    visible_ = buttons;
    for (auto& [which, b] : buttons_)
        b->setVisible(visible_.testFlag(which));
}

void TDBNavigator::setHint(TNavigateBtn which, const QString& hint) {
    hints_[which] = hint;
    setShowHint(showHint_);
}

void TDBNavigator::setShowHint(bool on) {
    showHint_ = on;
    for (auto& [which, b] : buttons_)
        b->setToolTip(on ? hints_[which] : QString());
}

void TDBNavigator::updateEnabled() {
    db::DataSet* ds = source_ ? source_->dataSet() : nullptr;
    const bool active = ds != nullptr && ds->active();
    const bool editing = active && (ds->state() == db::DataSetState::Edit ||
                                    ds->state() == db::DataSetState::Insert);
    for (auto& [which, b] : buttons_) {
        bool on = active;
        if (which == nbPost || which == nbCancel)
            on = editing;
        else if (which == nbInsert || which == nbDelete || which == nbEdit)
            on = active && ds->canModify() && (which != nbEdit || !editing);
        b->setEnabled(on);
    }
}

void TDBNavigator::BtnClick(TNavigateBtn which) {
    db::DataSet* ds = source_ ? source_->dataSet() : nullptr;
    if (ds == nullptr || !ds->active())
        return;
    switch (which) {
    case nbFirst:
        ds->first();
        break;
    case nbPrior:
        ds->prior();
        break;
    case nbNext:
        ds->next();
        break;
    case nbLast:
        ds->last();
        break;
    case nbInsert:
        ds->insert();
        break;
    case nbDelete:
        ds->deleteRecord();
        break;
    case nbEdit:
        ds->edit();
        break;
    case nbPost:
        ds->post();
        break;
    case nbCancel:
        ds->cancel();
        break;
    case nbRefresh:
        ds->refresh();
        break;
    }
    updateEnabled();
}
