#include "CameraSelect.h"

#include "ui_cameraselect.h"

CameraSelect::CameraSelect(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::CameraSelect)
{
    ui->setupUi(this);
    m_nSelected = 0;
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

CameraSelect::~CameraSelect()
{
    delete ui;
}

void CameraSelect::setCameraCount(int n)
{
    if (n == 0)
        return;
    ui->CameraCount->setText(QString("Camera Count:%1").arg(n));
    ui->cb_CameraSelect->clear();
    for (int i = 0; i < n; ++i)
        ui->cb_CameraSelect->addItem(QString("Camera%1").arg(i), i);
    ui->cb_CameraSelect->addItem("AllCamera", n);
    ui->cb_CameraSelect->setCurrentIndex(n);
}

void CameraSelect::on_cb_CameraSelect_currentIndexChanged(int index)
{
    m_nSelected = index;
}
