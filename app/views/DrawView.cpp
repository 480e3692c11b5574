#include "DrawView.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPen>
#include <QPixmap>
#include <QWheelEvent>
#include <cmath>

namespace {

bool isUnset(const QPointF& p)
{
    return std::fabs(p.x() + 1.0) < 1e-12 && std::fabs(p.y() + 1.0) < 1e-12;
}

}  // namespace

DrawView::DrawView(QWidget* parent)
    : QGraphicsView(parent)
{
    m_pScene = new QGraphicsScene(this);
    setScene(m_pScene);
    setMouseTracking(true);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_pScene, SIGNAL(sceneRectChanged(const QRectF&)), this, SLOT(sceneRectChanged(const QRectF&)));
}

DrawView::~DrawView() = default;

QPointF DrawView::parentPosition(const QPoint& viewPos) const
{
    // Mouse events arrive in the coordinates of the view's viewport, which
    // sits inside the view's frame.
    QWidget* parent = parentWidget();
    if (!parent)
        return QPointF(viewport()->mapTo(const_cast<DrawView*>(this), viewPos));
    return QPointF(viewport()->mapTo(parent, viewPos));
}

void DrawView::slotPaintPreview(QBrush brush, int nWidth, int nHeight)
{
    if (nWidth <= 0)
        return;
    m_pScene->setBackgroundBrush(brush);
    if (nWidth != m_nImageWidth || nHeight != m_nImageHeight) {
        m_nImageWidth = nWidth;
        m_nImageHeight = nHeight;
        m_pScene->setSceneRect(0, 0, nWidth, nHeight);
        // Back to 1:1 for a frame of a new size.
        resetTransform();
        m_fZoom = 1.0f;
        setFixedSize(nWidth, nHeight);
    }
    finishMark();
}

void DrawView::SlotStartMark(bool yes)
{
    m_bMarking = yes;
    setCursor(yes ? Qt::CrossCursor : Qt::ArrowCursor);
    clearMark();
}

void DrawView::SlotMarkShape(int shapeType)
{
    m_nShape = shapeType;
    clearMark();
}

void DrawView::sceneRectChanged(const QRectF& rect)
{
    Q_UNUSED(rect);
}

void DrawView::wheelEvent(QWheelEvent* event)
{
    // Nothing to zoom before the first frame has set the image size.
    if (m_nImageWidth <= 0 || m_nImageHeight <= 0)
        return;
    const QPoint viewPos = event->position().toPoint();
    const QPointF parentPos = parentPosition(viewPos);
    const QPointF scenePos = mapToScene(viewPos);

    if (event->angleDelta().y() > 0)
        m_fZoom = std::min(m_fZoom * 2.0f, 16.0f);
    else
        m_fZoom = std::max(m_fZoom * 0.5f, 0.125f);
    if (m_fZoom >= 1.0f)
        m_fZoom = std::trunc(m_fZoom);

    const QRectF rect = m_pScene->sceneRect();
    const double rx = rect.width() > 0 ? scenePos.x() / rect.width() : 0.0;
    const double ry = rect.height() > 0 ? scenePos.y() / rect.height() : 0.0;

    applyZoomSize();
    // The zoom is a pure scale; setting it outright avoids the drift of
    // repeated relative scaling.
    setTransform(QTransform::fromScale(m_fZoom, m_fZoom));

    emit sglSetSliderPosition(QPointF(width() * rx - parentPos.x(), height() * ry - parentPos.y()));
}

void DrawView::applyZoomSize()
{
    const QSize texture = m_pScene->backgroundBrush().texture().size();
    const float w = static_cast<float>(texture.width()) * m_fZoom + 2.0f;
    const float h = static_cast<float>(texture.height()) * m_fZoom + 1.0f;
    setFixedSize(static_cast<int>(w), static_cast<int>(h));
}

void DrawView::mousePressEvent(QMouseEvent* event)
{
    m_lastPos = parentPosition(event->pos());
    m_markStart = mapToScene(event->pos());
    m_bPressed = true;
}

void DrawView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF scenePos = mapToScene(event->pos());
    if (m_bMarking)
        setCursor(Qt::CrossCursor);
    if (m_bPressed) {
        const QPointF parentPos = parentPosition(event->pos());
        if (m_bMarking) {
            clampMarkEnd(scenePos);
            QPen pen(QColor(255, 140, 0, 255));
            pen.setWidth(0);
            if (m_nShape == 1) {
                if (!m_pLineItem) {
                    m_pLineItem = new QGraphicsLineItem;
                    m_pLineItem->setPen(pen);
                    m_pScene->addItem(m_pLineItem);
                }
                m_pLineItem->setLine(QLineF(m_markStart, m_markEnd));
            } else if (m_nShape == 2) {
                if (!m_pRectItem) {
                    m_pRectItem = new QGraphicsRectItem;
                    m_pRectItem->setPen(pen);
                    m_pScene->addItem(m_pRectItem);
                }
                m_pRectItem->setRect(m_markStart.x(), m_markStart.y(), m_markEnd.x() - m_markStart.x(),
                                     m_markEnd.y() - m_markStart.y());
            }
        } else {
            emit sglMoveImage(parentPos - m_lastPos);
            m_lastPos = parentPos;
        }
    }
    emit signalUpdateMousePosition(scenePos);
}

void DrawView::mouseReleaseEvent(QMouseEvent* event)
{
    clampMarkEnd(mapToScene(event->pos()));
    m_bPressed = false;
    finishMark();
}

void DrawView::clampMarkEnd(const QPointF& p)
{
    m_markEnd = p;
    if (m_markEnd.x() >= m_nImageWidth) {
        m_markEnd.setX(m_nImageWidth - 1);
        setCursor(Qt::ArrowCursor);
    } else if (m_markEnd.x() < 0) {
        m_markEnd.setX(0);
        setCursor(Qt::ArrowCursor);
    }
    if (m_markEnd.y() >= m_nImageHeight) {
        m_markEnd.setY(m_nImageHeight - 1);
        setCursor(Qt::ArrowCursor);
    } else if (m_markEnd.y() < 0) {
        m_markEnd.setY(0);
        setCursor(Qt::ArrowCursor);
    }
}

void DrawView::finishMark()
{
    if (!m_bMarking || m_bPressed)
        return;
    if (isUnset(m_markStart) || isUnset(m_markEnd)) {
        clearMark();
        return;
    }
    const int sx = static_cast<int>(m_markStart.x());
    const int sy = static_cast<int>(m_markStart.y());
    const int ex = static_cast<int>(m_markEnd.x());
    const int ey = static_cast<int>(m_markEnd.y());
    if (std::abs(sx - ex) <= 1 && std::abs(sy - ey) <= 1) {
        clearMark();
        return;
    }
    if (m_markEnd.x() > m_markStart.x())
        emit SignalSendMarkPos(m_markStart, m_markEnd);
    else
        emit SignalSendMarkPos(m_markEnd, m_markStart);
}

void DrawView::clearMark()
{
    m_markStart = QPointF(-1.0, -1.0);
    m_markEnd = QPointF(-1.0, -1.0);
    if (m_pRectItem)
        m_pRectItem->setRect(0, 0, 0, 0);
    if (m_pLineItem)
        m_pLineItem->setLine(0, 0, 0, 0);
    emit SignalSendMarkPos(QPointF(-1.0, -1.0), QPointF(-1.0, -1.0));
}
