#include "CameraSelect.h"

#include "ui_cameraselect.h"

CameraSelect::CameraSelect(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::CameraSelect)
{
    ui->setupUi(this);
    // The form's layout area is measured for other fonts: it gets what its
    // layout needs, and the dialog grows to hold it with a small margin.
    const QSize needed = ui->layoutWidget->size().expandedTo(ui->layoutWidget->sizeHint());
    ui->layoutWidget->resize(needed);
    const int margin = 10;
    resize(size().expandedTo(QSize(ui->layoutWidget->x() + needed.width() + margin,
                                   ui->layoutWidget->y() + needed.height() + margin)));
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
