// A status bar of fixed-width panels with centred text.
#pragma once

#include <QStatusBar>

#include <vector>

class QLabel;

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    // Appends a panel of the given width in pixels.
    void addPanel(int width, const QString& text = QString());
    int panelCount() const { return int(panels_.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);

private:
    std::vector<QLabel*> panels_;
};
