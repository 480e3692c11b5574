#pragma once
// A main window on the simulated SDK, built in a scratch working directory.

#include <gtest/gtest.h>

#include <ZTCamSim.h>

#include <QDir>
#include <QStringList>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

#include "MainWindow.h"
#include "TestSupport.h"
#include "ui_MainWindow.h"

class WindowFixture : public ::testing::Test {
protected:
    // Fixtures that check the stream's call order leave the per-frame calls
    // out of the SDK's call log.
    explicit WindowFixture(bool skipFrameCalls = true) : m_skipFrameCalls(skipFrameCalls) {}

    void SetUp() override
    {
        testApp();
        MainWindow::setExitWaitMs(0);
        ASSERT_TRUE(workDir.isValid());
        oldDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        ZTCamSim_UseConfigText(nullptr);
        ZTCamSim_CallLogSkipFrameCalls(m_skipFrameCalls ? 1 : 0);
        ZTCamSim_CallLogClear();
    }
    void TearDown() override
    {
        window.reset();
        QDir::setCurrent(oldDir);
        ZTCamSim_UseConfigText(nullptr);
        ZTCamSim_CallLogSkipFrameCalls(0);
    }

    // The texts of the window's user-log rows, oldest first.
    QStringList logRows() const
    {
        QStringList rows;
        QTableWidget* table = window->form()->tableWidget;
        for (int r = 0; r < table->rowCount(); ++r)
            if (const QTableWidgetItem* item = table->item(r, 1))
                rows << item->text();
        return rows;
    }
    QString lastLogRow() const
    {
        const QStringList rows = logRows();
        return rows.isEmpty() ? QString() : rows.last();
    }

    QTemporaryDir workDir;
    QString oldDir;
    std::unique_ptr<MainWindow> window;

private:
    bool m_skipFrameCalls;
};
