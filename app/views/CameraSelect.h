#pragma once

#include <QDialog>

namespace Ui {
class CameraSelect;
}

// Lets the user open one of the cameras found, or all of them.
class CameraSelect : public QDialog
{
    Q_OBJECT

public:
    explicit CameraSelect(QWidget* parent = nullptr);
    ~CameraSelect() override;

    // Fills the list with "Camera0" .. "Camera<n-1>" and "AllCamera" (data n),
    // which becomes current; n = 0 leaves the dialog as built.
    void setCameraCount(int n);
    // The chosen index; the camera count means all cameras.
    int selectedCamera() const { return m_nSelected; }

private slots:
    void on_cb_CameraSelect_currentIndexChanged(int index);

private:
    Ui::CameraSelect* ui;
    int m_nSelected = 0;
};
