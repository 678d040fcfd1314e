// The journal grid's context menu: opened by the right mouse button (after the grid's own
// mouse-down handling), the Menu key and Shift+F10. Its commands are enabled only while the
// grid shows a loaded journal; a command's shortcut works from the grid and its cell editors.
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QPoint;
class TDBGridEh;

namespace journal {

class JournalGridMenu : public QObject {
    Q_OBJECT
public:
    JournalGridMenu(TDBGridEh* grid, std::function<bool()> journalLoaded);
    ~JournalGridMenu() override;

    QMenu* menu() const { return menu_; }

    // Appends a command; with a shortcut, the key runs it from the grid as well.
    QAction* addCommand(const QString& text, std::function<void()> run,
                        const QKeySequence& shortcut = {});
    void addSeparator();
    // Called each time the menu opens on a loaded journal, after the command was enabled:
    // a command that cannot act there disables itself or changes its text.
    void setRefresh(QAction* command, std::function<void(QAction*)> refresh);

    // Opens the menu at a point of the screen, or below the grid's current cell.
    void popup(const QPoint& globalPos);
    void popupAtCurrentCell();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateEnabled();

    TDBGridEh* grid_;
    std::function<bool()> journalLoaded_;
    QMenu* menu_;
    QList<QAction*> commands_;
    QHash<QAction*, std::function<void(QAction*)>> refresh_;
};

} // namespace journal
