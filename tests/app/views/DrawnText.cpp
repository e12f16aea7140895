#include "DrawnText.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>
#include <QWidget>

namespace tovra::app::testing {

namespace {

// Keeps texts and pixmaps; every other primitive is ignored.
class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(DrawnContent &content)
        : QPaintEngine(QPaintEngine::AllFeatures)
        , m_content(content)
    {
    }

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyPen)
            m_pen = state.pen().color();
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
    }

    void drawTextItem(const QPointF &baseline, const QTextItem &item) override
    {
        const QRectF box = m_transform.mapRect(
            QRectF(baseline.x(), baseline.y() - item.ascent(), item.width(), item.ascent() + item.descent()));
        const QPointF start = m_transform.map(baseline);
        // Qt draws a line in runs, one per font (a Chinese fallback font
        // beside a Latin one): a run that goes on where the last one ended,
        // on its baseline, belongs to the same text.
        if (!m_content.texts.isEmpty() && qAbs(start.y() - m_lastBaseline.y()) < 0.5
            && qAbs(start.x() - m_lastBaseline.x()) < 1.5) {
            DrawnText &last = m_content.texts.last();
            last.text += item.text();
            last.area = last.area.united(box);
        } else {
            m_content.texts.append({ item.text(), box, m_pen });
        }
        m_lastBaseline = QPointF(box.right(), start.y());
    }

    void drawPixmap(const QRectF &area, const QPixmap &pixmap, const QRectF &) override
    {
        m_content.pixmaps.append({ pixmap, m_transform.mapRect(area) });
    }

    void drawPolygon(const QPointF *, int, PolygonDrawMode) override { }
    void drawPath(const QPainterPath &) override { }

private:
    DrawnContent &m_content;
    // Where the last run of text ended, on its baseline.
    QPointF m_lastBaseline;
    QColor m_pen;
    QTransform m_transform;
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(QSize size, DrawnContent &content)
        : m_size(size)
        , m_engine(content)
    {
    }

    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    QSize m_size;
    mutable RecordingEngine m_engine;
};

} // namespace

const DrawnText *DrawnContent::startingWith(const QString &prefix) const
{
    for (const DrawnText &text : texts) {
        if (text.text.startsWith(prefix))
            return &text;
    }
    return nullptr;
}

DrawnContent drawnContent(QWidget *widget)
{
    DrawnContent content;
    RecordingDevice device(widget->size(), content);
    widget->render(&device, QPoint(), QRegion(), QWidget::DrawChildren);
    return content;
}

} // namespace tovra::app::testing
