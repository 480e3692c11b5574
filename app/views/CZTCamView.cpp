#include "CZTCamView.h"

#include "DrawView.h"
#include "LineProfileUI.h"
#include "MainWindow.h"
#include "ZTCamFunc.h"

#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>
#include <cstring>

namespace {

// The header fields the reader takes from a view frame buffer.
ZTCamFrame readHeader(const uint8_t* buffer)
{
    ZTCamFrame header;
    std::memcpy(&header, buffer, sizeof(header));
    return header;
}

}  // namespace

CZTCamView::CZTCamView(MainWindow* parent, QString name)
    : QScrollArea(parent)
    , m_strCamName(name)
{
    m_pMutex = new std::mutex;
    m_pDrawView = new DrawView(this);
    setWidget(m_pDrawView);
    setMouseTracking(true);
    connect(m_pDrawView, &DrawView::signalUpdateMousePosition, this, &CZTCamView::slotUpdateMousePosition);
    connect(m_pDrawView, &DrawView::sglMoveImage, this, &CZTCamView::slotMoveImage);
    connect(m_pDrawView, &DrawView::sglSetSliderPosition, this, &CZTCamView::slotSetSliderPosition);
    connect(this, &CZTCamView::SignalShowPreview, this, &CZTCamView::SlotShowPreview);
}

CZTCamView::~CZTCamView()
{
    delete m_pDrawView;
    m_pDrawView = nullptr;
    delete m_pImage;
    m_pImage = nullptr;
    m_bRefreshPending = false;
    if (m_bTimerRunning) {
        killTimer(m_nTimerId);
        m_nTimerId = 0;
        m_bTimerRunning = false;
    }
    freeFrameBuffers();
    delete m_pMutex;
}

void CZTCamView::attachMainWindow(MainWindow* window, OpenedCamera camera)
{
    m_pMainWindow = window;
    m_openedCam = camera;
    if (!window)
        return;
    connect(m_pDrawView, &DrawView::signalUpdateImageSize, window, &MainWindow::OnUpdateImageSize);
    if (!m_pLineProfile) {
        m_pLineProfile = new LineProfileUI(camera, window);
        m_pLineProfile->setWindowTitle("camera" + m_strCamName);
        connect(m_pLineProfile, &LineProfileUI::SignalStartMark, m_pDrawView, &DrawView::SlotStartMark);
        connect(m_pLineProfile, &LineProfileUI::SignalMarkShape, m_pDrawView, &DrawView::SlotMarkShape);
        connect(m_pDrawView, &DrawView::SignalSendMarkPos, m_pLineProfile, &LineProfileUI::SlotGetMarkPos);
        connect(m_pLineProfile, &LineProfileUI::SignalCloseDialog, this, &CZTCamView::SlotCloseDialog);
        connect(window, &MainWindow::SignalUpdatePixelFormat, m_pLineProfile, &LineProfileUI::SlotUpdatePixelFormat);
    }
}

void CZTCamView::freeFrameBuffers()
{
    delete[] m_pDisplayBuffer;
    delete[] m_pBackBuffer;
    delete[] m_pMiddleBuffer;
    m_pDisplayBuffer = m_pBackBuffer = m_pMiddleBuffer = nullptr;
    m_nBufferBytes = 0;
    m_bHaveBuffers = false;
}

void CZTCamView::allocFrameBuffers(const ZTCamFrame& header)
{
    if (m_openedCam.handle) {
        m_nRoiOffsetX = ZTCamFunc::instance()->GetOffsetX(m_openedCam.handle);
        m_nRoiOffsetY = ZTCamFunc::instance()->GetOffsetY(m_openedCam.handle);
    }
    // The buffers only grow: a smaller frame keeps the larger blocks.
    const uint32_t need = static_cast<uint32_t>(header.headerSize) + header.imageSize;
    const uint32_t have = hasFrameBuffers() ? m_nBufferBytes : 0;
    if (need > have) {
        freeFrameBuffers();
        m_pDisplayBuffer = new uint8_t[need];
        m_pBackBuffer = new uint8_t[need]();
        m_pMiddleBuffer = new uint8_t[need];
        // Only the back buffer needs zeroes; the other two are read only after
        // a frame was exchanged into them, but start with an empty header.
        std::memset(m_pMiddleBuffer, 0, std::min<uint32_t>(need, sizeof(ZTCamFrame)));
        std::memset(m_pDisplayBuffer, 0, std::min<uint32_t>(need, sizeof(ZTCamFrame)));
        m_nBufferBytes = need;
        m_bHaveBuffers = true;
    }
    m_frameHeader = header;
}

ZTCamFrame CZTCamView::displayedHeader() const
{
    ZTCamFrame header{};
    if (m_pDisplayBuffer && m_nBufferBytes >= sizeof(ZTCamFrame))
        header = readHeader(m_pDisplayBuffer);
    return header;
}

bool CZTCamView::exchangeBackBuffer()
{
    if (!m_pMutex->try_lock())
        return false;
    std::swap(m_pBackBuffer, m_pMiddleBuffer);
    m_bNewFrame = true;
    m_pMutex->unlock();
    return true;
}

void CZTCamView::newFrameReady()
{
    m_bRefreshPending = true;
    if (m_pDrawView && m_bDrawViewHidden)
        emit SignalShowPreview(true);
}

void CZTCamView::startDisplayTimer()
{
    if (m_bTimerRunning)
        return;
    m_bTimerRunning = true;
    m_nTimerId = startTimer(10, Qt::CoarseTimer);
}

void CZTCamView::stopDisplayTimer()
{
    m_bRefreshPending = false;
    if (m_bTimerRunning) {
        killTimer(m_nTimerId);
        m_nTimerId = 0;
        m_bTimerRunning = false;
    }
}

void CZTCamView::setPreviewState(bool running)
{
    if (running)
        return;
    setDrawViewVisible(false);
    SlotCloseDialog();  // the plot dialog goes and marking ends
}

void CZTCamView::refreshImage()
{
    if (!m_pMainWindow || m_pMainWindow->m_bNoPreview || !m_bRefreshPending || !hasFrameBuffers() ||
        !m_pMainWindow->m_bLive || !m_bNewFrame)
        return;
    m_bRefreshPending = false;
    if (!m_pMutex->try_lock())
        return;
    std::swap(m_pMiddleBuffer, m_pDisplayBuffer);
    m_bNewFrame = false;
    m_pMutex->unlock();

    const ZTCamFrame header = readHeader(m_pDisplayBuffer);
    const int width = header.width;
    const int height = header.height;
    const int channels = header.channels;
    const int elementBytes = header.elementBytes;
    const uint32_t imageSize = header.imageSize;
    const uint32_t headerSize = header.headerSize;

    // The image is kept while the frame keeps its size and kind.
    if (m_pImage && width != 0 && height != 0 && elementBytes != 0) {
        const QImage::Format wanted = channels == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
        const bool reusable =
            m_pImage->width() == width && m_pImage->height() == height && m_pImage->format() == wanted;
        if (!reusable) {
            delete m_pImage;
            m_pImage = nullptr;
        }
    }
    if (!m_pImage) {
        if (channels == 3)
            m_pImage = new QImage(width, height, QImage::Format_RGB888);
        else if (channels == 1)
            m_pImage = new QImage(width, height, QImage::Format_Grayscale8);
    }
    if (!m_pImage || m_pImage->isNull() || (channels != 1 && channels != 3))
        return;
    if (elementBytes != 1 && elementBytes != 2)
        return;
    // The pixels must lie inside the buffer and the image must match them.
    const uint64_t rowSamples = static_cast<uint64_t>(width) * channels;
    const uint64_t pixelBytes = rowSamples * height * elementBytes;
    if (headerSize + pixelBytes > m_nBufferBytes || m_pImage->width() != width || m_pImage->height() != height)
        return;

    // Rows of the image are 4-byte aligned; the buffer's are packed, so the
    // pixels go over row by row.
    const uint8_t* src = m_pDisplayBuffer + headerSize;
    if (elementBytes == 2) {
        for (int y = 0; y < height; ++y) {
            uint8_t* dst = m_pImage->scanLine(y);
            const uint8_t* row = src + y * rowSamples * 2;
            for (uint64_t i = 0; i < rowSamples; ++i)
                dst[i] = row[2 * i + 1];
        }
    } else {
        const uint64_t copyBytes = std::min<uint64_t>(imageSize, pixelBytes);
        for (int y = 0; y < height; ++y) {
            const uint64_t offset = y * rowSamples;
            if (offset >= copyBytes)
                break;
            std::memcpy(m_pImage->scanLine(y), src + offset, std::min<uint64_t>(rowSamples, copyBytes - offset));
        }
    }

    const QPixmap pixmap = QPixmap::fromImage(m_pImage->copy(), Qt::NoFormatConversion);
    m_brush.setTexture(pixmap);
    if (m_pDrawView)
        m_pDrawView->slotPaintPreview(m_brush, width, height);
}

void CZTCamView::timerEvent(QTimerEvent* event)
{
    m_nTimerId = event->timerId();
    if (m_nTimerId != 0 && m_pMainWindow && m_pMainWindow->m_bLive && m_bNewFrame)
        refreshImage();
}

void CZTCamView::SlotShowPreview(bool show)
{
    if (!m_pDrawView)
        return;
    if (!show || !m_pMainWindow || !m_pMainWindow->m_bLive) {
        setDrawViewVisible(false);
        return;
    }
    if (m_bNewFrame)
        refreshImage();
    setDrawViewVisible(true);
}

void CZTCamView::setDrawViewVisible(bool visible)
{
    if (!m_pDrawView)
        return;
    m_pDrawView->setVisible(visible);
    m_bDrawViewHidden = !visible;
}

void CZTCamView::slotUpdateMousePosition(QPointF pos)
{
    if (m_openedCam.handle)
        emit sigUpdateMousePosition(static_cast<int>(m_openedCam.index), pos,
                                    pos + QPointF(m_nRoiOffsetX, m_nRoiOffsetY));
    if (m_pDisplayBuffer) {
        const ZTCamFrame header = readHeader(m_pDisplayBuffer);
        if (pos.x() < 0 || pos.y() < 0 || pos.x() >= header.width || pos.y() >= header.height)
            setCursor(Qt::ArrowCursor);
    }
}

void CZTCamView::slotMoveImage(QPointF point)
{
    horizontalScrollBar()->setValue(static_cast<int>(horizontalScrollBar()->value() - point.x()));
    verticalScrollBar()->setValue(static_cast<int>(verticalScrollBar()->value() - point.y()));
}

void CZTCamView::slotSetSliderPosition(QPointF point)
{
    const int v = verticalScrollBar()->value();
    horizontalScrollBar()->setValue(static_cast<int>(point.x()));
    if (point.y() > v)
        verticalScrollBar()->setValue(static_cast<int>(point.y() + 60));
    else
        verticalScrollBar()->setValue(static_cast<int>(point.y() - 60));
}

void CZTCamView::SlotCloseDialog()
{
    if (m_pLineProfile) {
        m_pLineProfile->hide();
        m_pLineProfile->setMarking(false);
    }
    if (m_pDrawView)
        m_pDrawView->SlotStartMark(false);
}

void CZTCamView::on_pb_grayCurve_clicked()
{
    if (!m_pLineProfile)
        return;
    if (m_pLineProfile->isHidden()) {
        ZTCamElement element{};
        ZTCamFunc::instance()->GetGenICamElement(element, m_openedCam.handle, "PixelFormat");
        const QString entry = ZTCamFunc::CurrentEntryName(element);
        if (!entry.isEmpty())
            m_pLineProfile->SlotUpdatePixelFormat(entry);
        m_pLineProfile->show();
    } else {
        m_pLineProfile->activateWindow();
    }
}

void CZTCamView::mouseDoubleClickEvent(QMouseEvent* event)
{
    Q_UNUSED(event);
    if (!m_pMainWindow || !m_pMainWindow->m_bLive)
        return;
    m_bSingleViewport = !m_bSingleViewport;
    m_pMainWindow->enableSingleViewport(m_bSingleViewport, this);
}

void CZTCamView::resizeEvent(QResizeEvent* event)
{
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QScrollArea::resizeEvent(event);
}
