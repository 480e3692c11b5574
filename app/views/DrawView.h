#pragma once

#include <QBrush>
#include <QGraphicsView>
#include <QPointF>
#include <QRectF>
#include <QSize>

class QGraphicsScene;
class QGraphicsLineItem;
class QGraphicsRectItem;

// The widget inside a camera view that shows the current frame as the scene's
// background texture (scene coordinates are image pixels) and turns mouse input
// into zoom, drag scrolling, position reports and line or rectangle marks.
class DrawView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit DrawView(QWidget* parent = nullptr);
    ~DrawView() override;

    float zoom() const { return m_fZoom; }
    int imageWidth() const { return m_nImageWidth; }
    bool isMarking() const { return m_bMarking; }
    QPointF markStart() const { return m_markStart; }
    QGraphicsLineItem* lineItem() const { return m_pLineItem; }
    QGraphicsRectItem* rectItem() const { return m_pRectItem; }

signals:
    void sglMoveImage(QPointF point);
    void sglSetSliderPosition(QPointF point);
    void signalPaintPreview();
    void signalUpdateMousePosition(QPointF pos);
    void signalUpdateImageGrayValueInfo();
    void signalUpdateImageSize(QSize size);
    void signalUpdateZoomPercentage(double percentage);
    void SignalSendMarkPos(QPointF posStart, QPointF posEnd);

public slots:
    void slotPaintPreview(QBrush brush, int nWidth, int nHeight);
    void SlotStartMark(bool yes);
    void SlotMarkShape(int shapeType);
    void sceneRectChanged(const QRectF& rect);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QPointF parentPosition(const QPoint& viewPos) const;
    void applyZoomSize();
    void clampMarkEnd(const QPointF& p);
    void finishMark();
    void clearMark();

    QGraphicsScene* m_pScene = nullptr;
    bool m_bPressed = false;
    QPointF m_lastPos;
    float m_fZoom = 1.0f;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    bool m_bMarking = false;
    int m_nShape = 1;
    QPointF m_markStart{-1.0, -1.0};
    QPointF m_markEnd{-1.0, -1.0};
    QGraphicsLineItem* m_pLineItem = nullptr;
    QGraphicsRectItem* m_pRectItem = nullptr;
};
