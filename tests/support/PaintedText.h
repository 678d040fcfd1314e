// The texts a widget paints, as a person reads them on the screen: the widget is rendered
// onto a device whose engine keeps every text item drawn and where it was drawn.
#pragma once

#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>

namespace testsupport {

struct PaintedItem {
    QString text;
    QPointF at; // the base line's start, in the widget's coordinates
};

class PaintedTextDevice : public QPaintDevice {
public:
    explicit PaintedTextDevice(QSize size)
        : size_(size)
        , engine_(std::make_unique<Engine>(this)) {}

    QPaintEngine* paintEngine() const override { return engine_.get(); }
    const QList<PaintedItem>& items() const { return items_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(PaintedTextDevice* device)
            : QPaintEngine(AllFeatures)
            , device_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        // Shapes and pictures carry no text.
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&,
                       Qt::ImageConversionFlags) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            device_->items_.append({item.text(), painter()->transform().map(p)});
        }
        Type type() const override { return User; }

    private:
        PaintedTextDevice* device_;
    };

    QSize size_;
    std::unique_ptr<Engine> engine_;
    QList<PaintedItem> items_;
};

// Every text the widget (with its children) paints.
inline QList<PaintedItem> paintedTexts(QWidget* widget) {
    PaintedTextDevice device(widget->size());
    widget->render(&device, QPoint(), QRegion(), QWidget::DrawChildren);
    return device.items();
}

} // namespace testsupport
