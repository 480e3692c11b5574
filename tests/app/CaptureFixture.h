#pragma once
// A main window over the simulated SDK with the cameras of a configuration
// text opened and set up, for the capture, view and opening tests.

#include <gtest/gtest.h>

#include <ZTCam.h>
#include <ZTCamSim.h>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "WindowFixture.h"
#include "CZTCamView.h"
#include "CZTThdCapture.h"
#include "FrameBufferSet.h"
#include "MainWindow.h"

// Accepts the camera selection with a chosen entry (-1 keeps "AllCamera").
class SelectingPrompt : public FakePrompt {
public:
    int choice = -1;
    bool accept = true;
    int execDialog(QDialog& dialog) override
    {
        asked << "dialog||";
        if (choice >= 0)
            if (auto* combo = dialog.findChild<QComboBox*>("cb_CameraSelect"))
                combo->setCurrentIndex(choice);
        return accept ? QDialog::Accepted : QDialog::Rejected;
    }
};

inline std::vector<std::string> simCalls(bool streamOnly = true)
{
    std::vector<std::string> calls;
    for (size_t i = 0; i < ZTCamSim_CallLogSize(); ++i) {
        const char* name = nullptr;
        if (!ZTCamSim_CallLogEntry(i, &name, nullptr) || !name)
            continue;
        const std::string n(name);
        if (streamOnly && n.rfind("ZTCAM_GenICam_", 0) == 0)
            continue;
        calls.push_back(n);
    }
    return calls;
}

class CaptureFixture : public WindowFixture {
protected:
    // Builds the window and waits until discovery has set the cameras up.
    MainWindow& open(const char* config, int expectedCameras)
    {
        ZTCamSim_UseConfigText(config);
        window = std::make_unique<MainWindow>();
        const bool done = waitFor([&] { return window->isEnabled() || !prompt.asked.isEmpty(); }, 15000);
        EXPECT_TRUE(done);
        waitFor([&] { return window->m_vecCapThread.size() >= expectedCameras; }, 5000);
        EXPECT_EQ(window->m_vecCapThread.size(), expectedCameras);
        return *window;
    }
    CZTThdCapture* thread(int i = 0) const { return window->m_vecCapThread.value(i); }
    CZTCamView* view(int i = 0) const { return window->m_vecCamView.value(i); }
    FrameBufferSet* bufferSet(int i = 0) const { return window->m_mapBufferSets.value(i); }

    SelectingPrompt prompt;
};

// One small 16-bit camera.
constexpr const char* kOneCamera =
    "[camera]\nsensor_width=64\nsensor_height=48\npixel_format=Mono 12\nframe_rate=50\n";
