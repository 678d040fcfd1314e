#include "journal/JournalGridMenu.h"

#include "controls/DBGridEh.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QShortcut>

namespace journal {

JournalGridMenu::JournalGridMenu(TDBGridEh* grid, std::function<bool()> journalLoaded)
    : QObject(grid)
    , grid_(grid)
    , journalLoaded_(std::move(journalLoaded))
    , menu_(new QMenu(grid)) {
    setObjectName(QStringLiteral("JournalGridMenu"));
    menu_->setObjectName(QStringLiteral("JournalGridContextMenu"));
    connect(menu_, &QMenu::aboutToShow, this, &JournalGridMenu::updateEnabled);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut =
            new QShortcut(keys, grid_, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &JournalGridMenu::popupAtCurrentCell);
    }
}

JournalGridMenu::~JournalGridMenu() = default;

QAction* JournalGridMenu::addCommand(const QString& text, std::function<void()> run,
                                     const QKeySequence& shortcut) {
    QAction* action = menu_->addAction(text);
    commands_.append(action);
    const auto runLoaded = [this, run] {
        if (journalLoaded_())
            run();
    };
    connect(action, &QAction::triggered, this, runLoaded);
    if (!shortcut.isEmpty()) {
        // Shown in the menu; while the menu is closed the grid's own shortcut runs it.
        action->setShortcut(shortcut);
        action->setShortcutVisibleInContextMenu(true);
        auto* key =
            new QShortcut(shortcut, grid_, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(key, &QShortcut::activated, this, runLoaded);
    }
    return action;
}

void JournalGridMenu::addSeparator() {
    menu_->addSeparator();
}

void JournalGridMenu::setRefresh(QAction* command, std::function<void(QAction*)> refresh) {
    refresh_.insert(command, std::move(refresh));
}

void JournalGridMenu::updateEnabled() {
    const bool loaded = journalLoaded_();
    for (QAction* action : commands_) {
        action->setEnabled(loaded);
        if (loaded)
            if (const auto r = refresh_.constFind(action); r != refresh_.constEnd())
                (*r)(action);
    }
}

void JournalGridMenu::popup(const QPoint& globalPos) {
    menu_->popup(globalPos);
}

void JournalGridMenu::popupAtCurrentCell() {
    QRect cell = grid_->visualRect(grid_->currentIndex());
    if (!cell.isValid() || !grid_->viewport()->rect().intersects(cell))
        cell = QRect(grid_->viewport()->rect().center(), QSize(1, 1));
    popup(grid_->viewport()->mapToGlobal(cell.bottomLeft()));
}

bool JournalGridMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildPolished && watched == grid_->viewport()) {
        // A cell editor's own menu gives way to the grid's.
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            child->setContextMenuPolicy(Qt::NoContextMenu);
    } else if (event->type() == QEvent::ContextMenu) {
        auto* request = static_cast<QContextMenuEvent*>(event);
        // A keyboard's menu key already opened it through the shortcut.
        if (request->reason() == QContextMenuEvent::Mouse)
            popup(request->globalPos());
        request->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace journal
