// Levels, gamma and contrast; flat field, calibration data and applying
// settings to all cameras. Interim bodies.
#include "MainWindow.h"

#include "ui_MainWindow.h"

void MainWindow::updateLevels(int which, bool write) { (void)which; (void)write; }
void MainWindow::updateImageControls() {}
void MainWindow::on_hls_gamma_valueChanged(int value) { (void)value; }
void MainWindow::on_hls_contrast_valueChanged(int value) { (void)value; }
void MainWindow::on_hls_llvl_valueChanged(int value) { (void)value; }
void MainWindow::on_hls_rlvl_valueChanged(int value) { (void)value; }
void MainWindow::on_chk_vflip_clicked(bool checked) { (void)checked; }
void MainWindow::on_chk_hflip_clicked(bool checked) { (void)checked; }
void MainWindow::on_pb_default_clicked() {}
void MainWindow::on_chk_atl_clicked() {}
void MainWindow::on_chk_atr_clicked() {}
void MainWindow::on_txt_llvl_editingFinished() {}
void MainWindow::on_txt_rlvl_editingFinished() {}
void MainWindow::on_txt_contrast_editingFinished() {}
void MainWindow::on_txt_rlvl_textEdited(QString text) { (void)text; }
void MainWindow::on_txt_contrast_textEdited(QString text) { (void)text; }
void MainWindow::on_txt_llvl_textEdited(QString text) { (void)text; }
void MainWindow::on_dbSpinBox_gamma_editingFinished() {}

void MainWindow::on_chk_ffc_clicked(bool checked) { (void)checked; }
void MainWindow::on_pb_ffc_clicked() {}
void MainWindow::on_pushButtonRead_clicked() {}
void MainWindow::on_pushButtonWrite_clicked() {}
void MainWindow::on_pushButtonParamApply_clicked() {}
void MainWindow::on_pushButtonMoreParamApply_clicked() {}
