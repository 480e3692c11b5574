#include "ZtMsgBox.h"

#include "ui_ztmsgbox.h"

ZtMsgBox::ZtMsgBox(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ZtMsgBox)
{
    ui->setupUi(this);
    setWindowTitle(tr("LumaDeck"));
    ui->pb_cancel->hide();
    ui->te_content->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_nRepeatCount = 30;
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->te_content->setStyleSheet(
        "QTextEdit {background-color: rgb(240, 240, 240); font-size: 14pt; font-family: Arial; }");
}

ZtMsgBox::~ZtMsgBox()
{
    delete ui;
}

void ZtMsgBox::setMessage(const QString& text)
{
    ui->te_content->setText(text);
    ui->te_content->setAlignment(Qt::AlignHCenter);
}

void ZtMsgBox::on_pb_ok_clicked()
{
    hide();
    m_nRepeatCount = 0;
}

void ZtMsgBox::on_pb_cancel_clicked()
{
    on_pb_ok_clicked();
}
