// Option sets, draw states, key codes and event signatures of the data-aware grid.
#pragma once

#include <QFlags>
#include <QRect>
#include <QVariant>

#include <functional>

class QObject;
class QKeyEvent;
class TColumnEh;
struct TFont;

enum TGridDrawStateItem { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateItem)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

enum TDBGridOption {
    dgEditing = 0x1,
    dgAlwaysShowEditor = 0x2,
    dgTitles = 0x4,
    dgIndicator = 0x8,
    dgColumnResize = 0x10,
    dgColLines = 0x20,
    dgRowLines = 0x40,
    dgTabs = 0x80,
    dgConfirmDelete = 0x100,
    dgCancelOnExit = 0x200,
    dgMultiSelect = 0x400,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

enum TDBGridEhOption {
    dghFixed3D = 0x1,
    dghHighlightFocus = 0x2,
    dghClearSelection = 0x4,
    dghEnterAsTab = 0x8,
    dghRowHighlight = 0x10,
    dghDialogFind = 0x20,
};
Q_DECLARE_FLAGS(TDBGridEhOptions, TDBGridEhOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridEhOptions)

enum TDataOperationEh {
    alopInsertEh = 0x1,
    alopUpdateEh = 0x2,
    alopDeleteEh = 0x4,
    alopAppendEh = 0x8,
};
Q_DECLARE_FLAGS(TDBGridEhAllowedOperations, TDataOperationEh)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridEhAllowedOperations)

enum TDBGridEhEditAction {
    geaCutEh = 0x1,
    geaCopyEh = 0x2,
    geaPasteEh = 0x4,
    geaDeleteEh = 0x8,
    geaSelectAllEh = 0x10,
};
Q_DECLARE_FLAGS(TDBGridEhEditActions, TDBGridEhEditAction)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridEhEditActions)

// Modifier keys held with a key or a mouse button.
using TShiftState = Qt::KeyboardModifiers;

// Events of the grid, with the arguments the windows' handlers take. Key is the 16-bit
// virtual-key code (letters and digits are their upper-case character codes).
using TKeyEvent = std::function<void(QObject* Sender, quint16& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
using TMouseEvent =
    std::function<void(QObject* Sender, Qt::MouseButton Button, TShiftState Shift, int X, int Y)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TDrawColumnEhCellEvent = std::function<void(QObject* Sender, const QRect& Rect, int DataCol,
                                                  TColumnEh* Column, TGridDrawState State)>;
using TGetCellEhParamsEvent = std::function<void(QObject* Sender, TColumnEh* Column, TFont& AFont,
                                                 QColor& Background, TGridDrawState State)>;
// A column's value update, before the grid stores it: Text or Value (UseText says which)
// may be changed; Handled stops the grid from storing it.
using TColumnEhUpdateDataEvent = std::function<void(QObject* Sender, QString& Text, QVariant& Value,
                                                    bool& UseText, bool& Handled)>;

namespace keys {
// The virtual-key code of a Qt key, 0 when it has none.
quint16 virtualKey(int qtKey);
// The virtual-key code of a key event (letters upper case, as the keyboard reports them).
quint16 virtualKey(const QKeyEvent& event);
// Hands a key press to an owner's key-down handler, if set; true when the handler zeroed the
// key, so the control must not act on it.
bool ownerSwallowsKey(const TKeyEvent& handler, QObject* sender, const QKeyEvent& event);
} // namespace keys
