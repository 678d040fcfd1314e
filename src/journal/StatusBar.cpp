// A status bar of fixed-width panels with centred text.
#include "journal/StatusBar.h"

#include <QLabel>

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent) {
    setSizeGripEnabled(true);
}

void TStatusBar::addPanel(int width, const QString& text) {
    auto* panel = new QLabel(text, this);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFixedWidth(width);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    addWidget(panel);
    panels_.push_back(panel);
}

QString TStatusBar::panelText(int index) const {
    return panels_.at(size_t(index))->text();
}

void TStatusBar::setPanelText(int index, const QString& text) {
    panels_.at(size_t(index))->setText(text);
}
