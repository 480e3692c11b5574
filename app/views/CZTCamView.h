#pragma once

#include <QBrush>
#include <QPointF>
#include <QScrollArea>
#include <QString>
#include <atomic>
#include <mutex>
#include <cstdint>

#include <ZTCam.h>

class DrawView;
class LineProfileUI;
class MainWindow;
class QImage;

// The live view of one opened camera: a scroll area around a DrawView. It owns
// the hand-off of frames from the camera's capture thread to the GUI thread:
// three equally sized frame buffers (back, middle, display) and a mutex that
// both sides only ever try-lock with a zero time-out.
class CZTCamView : public QScrollArea
{
    Q_OBJECT

public:
    CZTCamView(MainWindow* parent, QString name);
    ~CZTCamView() override;

    void attachMainWindow(MainWindow* window, OpenedCamera camera);

    // GUI thread, before the capture thread starts: ROI offsets and the
    // grow-only sizing of the three buffers.
    void allocFrameBuffers(const ZTCamFrame& header);

    // Capture thread side of the hand-off. The back buffer belongs to the
    // capture thread; exchangeBackBuffer swaps it with the middle buffer under
    // a zero-time try-lock and reports whether it got the lock.
    uint8_t* backBuffer() const { return m_pBackBuffer; }
    uint32_t frameBufferBytes() const { return m_nBufferBytes; }
    bool hasFrameBuffers() const { return m_bHaveBuffers; }
    bool exchangeBackBuffer();
    void newFrameReady();

    void startDisplayTimer();
    void stopDisplayTimer();
    void setPreviewState(bool running);

    DrawView* drawView() const { return m_pDrawView; }
    LineProfileUI* lineProfile() const { return m_pLineProfile; }
    const QImage* image() const { return m_pImage; }
    // Header of the frame shown last (zero before the first one).
    ZTCamFrame displayedHeader() const;
    int roiOffsetX() const { return m_nRoiOffsetX; }
    int roiOffsetY() const { return m_nRoiOffsetY; }
    bool isSingleViewport() const { return m_bSingleViewport; }
    bool isDisplayTimerRunning() const { return m_bTimerRunning; }
    QString camName() const { return m_strCamName; }

signals:
    void sigUpdateMousePosition(int camIndex, QPointF pos, QPointF offsetPos);
    void SignalShowPreview(bool show);

public slots:
    void slotUpdateMousePosition(QPointF pos);
    void slotMoveImage(QPointF point);
    void slotSetSliderPosition(QPointF point);
    void SlotCloseDialog();
    void on_pb_grayCurve_clicked();
    void SlotShowPreview(bool show);

protected:
    void timerEvent(QTimerEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshImage();
    void setDrawViewVisible(bool visible);
    void freeFrameBuffers();

    QImage* m_pImage = nullptr;
    uint8_t* m_pBackBuffer = nullptr;
    uint8_t* m_pMiddleBuffer = nullptr;
    uint8_t* m_pDisplayBuffer = nullptr;
    std::mutex* m_pMutex = nullptr;  // only ever try-locked, by both sides
    std::atomic<bool> m_bNewFrame{false};
    MainWindow* m_pMainWindow = nullptr;
    OpenedCamera m_openedCam{};
    int m_nTimerId = 0;
    std::atomic<bool> m_bRefreshPending{false};
    bool m_bTimerRunning = false;
    QBrush m_brush;
    DrawView* m_pDrawView = nullptr;
    ZTCamFrame m_frameHeader{};
    bool m_bSingleViewport = false;
    int m_nRoiOffsetX = 0;
    int m_nRoiOffsetY = 0;
    QString m_strCamName;
    LineProfileUI* m_pLineProfile = nullptr;
    uint32_t m_nBufferBytes = 0;
    // Written on the GUI thread only while no capture thread runs, so that
    // both sides may test for the buffers without touching the pointers that
    // the other side exchanges.
    bool m_bHaveBuffers = false;
    // Mirror of the drawing view's hidden state for the capture thread.
    std::atomic<bool> m_bDrawViewHidden{false};
};
